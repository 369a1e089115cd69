// The machine's clock, read only. Natively built code runs tests and tools on a shared machine,
// so Set refuses outright and never reaches clock_settime or settimeofday.
#include <ctime>

#include "platform/local_clock.h"

namespace pelto {
namespace {

// The code Windows gives when the time-setting privilege is missing (ERROR_PRIVILEGE_NOT_HELD),
// so callers report a refused change the same way on both systems.
constexpr uint32_t kPrivilegeNotHeld = 1314;

class PosixLocalClock final : public LocalClock {
public:
    SystemTime Now() override {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        SystemTime t{};
        SecondsToLocal(static_cast<int64_t>(ts.tv_sec), t);
        t.wMilliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
        return t;
    }

    bool Set(const SystemTime&, uint32_t& errorCode) override {
        errorCode = kPrivilegeNotHeld;
        return false;
    }
};

}  // namespace

LocalClock& SystemLocalClock() {
    static PosixLocalClock clock;
    return clock;
}

}  // namespace pelto
