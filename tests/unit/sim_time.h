#pragma once
// Simulated time for tests: one millisecond counter drives a monotonic clock and a local wall
// clock; the wall clock can be stepped on its own, as when somebody sets the PC's clock.
#include <cstdint>

#include "platform/local_clock.h"
#include "platform/monotonic_clock.h"
#include "sync/time_arith.h"

namespace pelto::test {

// 2024-06-10 06:13:20 UTC: a day with no zone transition in either test zone.
inline constexpr int64_t kSimEpochUnix = 1718000000;

struct SimTime {
    int64_t nowMs = 0;       // monotonic milliseconds since the start of the test
    int64_t wallStepMs = 0;  // how far the wall clock has been set away from the truth

    // Unix milliseconds of the true time now, and of what the local clock shows.
    int64_t TrueUnixMs() const { return kSimEpochUnix * 1000 + nowMs; }
    int64_t WallUnixMs() const { return TrueUnixMs() + wallStepMs; }
};

inline SystemTime LocalOfUnixMs(int64_t unixMs) {
    SystemTime t{};
    SecondsToLocal(unixMs / 1000, t);
    t.wMilliseconds = static_cast<uint16_t>(unixMs % 1000);
    return t;
}

// The NTP timestamp of a Unix millisecond count, fraction exact to the millisecond.
inline NtpTimestamp NtpOfUnixMs(int64_t unixMs) {
    NtpTimestamp ts;
    ts.seconds = static_cast<uint32_t>(unixMs / 1000 + kNtpUnixDelta);
    ts.fraction = static_cast<uint32_t>(((unixMs % 1000) << 32) / 1000 + 1);
    return ts;
}

class SimMonotonic final : public MonotonicClock {
public:
    explicit SimMonotonic(SimTime& sim) : sim_(sim) {}
    int64_t NowMs() override { return sim_.nowMs; }

private:
    SimTime& sim_;
};

class SimLocalClock final : public LocalClock {
public:
    explicit SimLocalClock(SimTime& sim) : sim_(sim) {}
    SystemTime Now() override { return LocalOfUnixMs(sim_.WallUnixMs()); }
    bool Set(const SystemTime&, uint32_t& errorCode) override {
        errorCode = 1314;
        return false;
    }

private:
    SimTime& sim_;
};

}  // namespace pelto::test
