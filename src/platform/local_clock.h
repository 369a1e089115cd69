#pragma once
// The PC's clock as the synchronisation and the face see it: read it, set it. The shipped program
// binds it to GetLocalTime / SetLocalTime; tests and the simulated-clock build use their own.
#include <cstdint>

#include "platform/system_time.h"

namespace pelto {

class LocalClock {
public:
    virtual ~LocalClock() = default;
    // The current local time (GetLocalTime).
    virtual SystemTime Now() = 0;
    // Sets the local time; false with the system's error code when it was refused.
    virtual bool Set(const SystemTime& t, uint32_t& errorCode) = 0;
    // Seconds since 1970 of the current time, as the C library's time() gives them.
    virtual int64_t Time();
};

// The process's clock port: the system clock unless a test build installed another.
LocalClock& SystemClock();

}  // namespace pelto
