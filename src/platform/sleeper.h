#pragma once
// Sleeping the calling thread, so code that waits for a moment of the wall clock can give the
// processor away instead of spinning, and tests can wait in simulated time.
#include <cstdint>

namespace pelto {

class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(int64_t ms) = 0;
};

Sleeper& SystemSleeper();

}  // namespace pelto
