#pragma once
// A clock that only moves forward, for deadlines: setting the wall clock does not move it.
#include <cstdint>

namespace pelto {

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual int64_t NowMs() = 0;
};

MonotonicClock& SystemMonotonicClock();

}  // namespace pelto
