// The native clock port: reads the machine's clock and never sets it. Native code must not be able
// to move the clock of the machine it is tested on.
#include <sys/time.h>

#include <cerrno>
#include <ctime>

#include "platform/local_clock.h"

namespace pelto {
namespace {

class PosixClock final : public LocalClock {
public:
    SystemTime Now() override {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        SystemTime t{};
        SecondsToLocal(tv.tv_sec, t);
        t.wMilliseconds = static_cast<uint16_t>(tv.tv_usec / 1000);
        return t;
    }
    bool Set(const SystemTime&, uint32_t& errorCode) override {
        errorCode = EPERM;
        return false;
    }
};

}  // namespace

LocalClock& SystemClock() {
    static PosixClock clock;
    return clock;
}

}  // namespace pelto
