#pragma once
// The local wall clock: what GetLocalTime shows and what SetLocalTime changes. The time sources
// read T1 and T4 here; the code that sets the clock goes through Set.
#include <cstdint>

#include "platform/system_time.h"

namespace pelto {

class LocalClock {
public:
    virtual ~LocalClock() = default;
    // The current local calendar time, milliseconds included.
    virtual SystemTime Now() = 0;
    // Sets the local clock; on failure false with the system's error code.
    virtual bool Set(const SystemTime& t, uint32_t& errorCode) = 0;
    // Seconds since 1970 of the current time, as the C library's time() gives them; the face and
    // the tick count seconds with it.
    virtual int64_t Time();
};

// The machine's clock. Natively Set always fails (the tests and tools built natively must never
// move the clock of the machine they run on); on Windows it is SetLocalTime.
LocalClock& SystemLocalClock();

}  // namespace pelto
