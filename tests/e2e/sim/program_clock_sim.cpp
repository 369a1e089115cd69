// PeltoClockSim: the clock program of the end-to-end tests, whose clock is simulated so a test can
// watch the clock being set without moving the machine's. It shows the real local time plus an
// offset the test gives it (PELTO_SIM_OFFSET_MS, milliseconds, negative when behind); setting the
// clock changes only that offset, and every setting is appended to the file PELTO_SIM_LOG:
//   set <target unix ms> real <real unix ms at the call> offset <new offset ms> <local time set>
// Everything else is the shipped program's code, linked whole.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "app/peltoclock_app.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

constexpr int64_t kUnixEpochAsFileTimeMs = 11644473600000LL;

int64_t RealUnixMs() {
    FILETIME ft{};
    GetSystemTimePreciseAsFileTime(&ft);
    ULARGE_INTEGER u{};
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return static_cast<int64_t>(u.QuadPart / 10000) - kUnixEpochAsFileTimeMs;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

class SimulatedClock final : public LocalClock {
public:
    SimulatedClock() {
        if (const char* offset = std::getenv("PELTO_SIM_OFFSET_MS"))
            offsetMs_ = std::strtoll(offset, nullptr, 10);
        if (const char* log = std::getenv("PELTO_SIM_LOG")) logPath_ = log;
    }

    SystemTime Now() override {
        const int64_t ms = RealUnixMs() + offsetMs_.load();
        SystemTime t{};
        SecondsToLocal(FloorDiv(ms, 1000), t);
        t.wMilliseconds = static_cast<uint16_t>(ms - FloorDiv(ms, 1000) * 1000);
        return t;
    }

    bool Set(const SystemTime& t, uint32_t& errorCode) override {
        int64_t seconds = 0;
        if (!LocalToSeconds(t, seconds)) {
            errorCode = ERROR_INVALID_PARAMETER;
            return false;
        }
        const int64_t target = seconds * 1000 + t.wMilliseconds;
        const int64_t real = RealUnixMs();
        offsetMs_ = target - real;
        std::lock_guard<std::mutex> lock(logMutex_);
        if (!logPath_.empty()) {
            if (FILE* f = std::fopen(logPath_.c_str(), "a")) {
                std::fprintf(f, "set %lld real %lld offset %lld%s\n", static_cast<long long>(target),
                             static_cast<long long>(real), static_cast<long long>(target - real),
                             FormatDateTimeMs(t).c_str());
                std::fclose(f);
            }
        }
        return true;
    }

    int64_t Time() override { return FloorDiv(RealUnixMs() + offsetMs_.load(), 1000); }

private:
    std::atomic<int64_t> offsetMs_{0};
    std::string logPath_;
    std::mutex logMutex_;
};

}  // namespace

LocalClock& ProgramClockPort() {
    static SimulatedClock clock;
    return clock;
}

}  // namespace pelto
