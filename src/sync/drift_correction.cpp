#include "sync/drift_correction.h"

#include <algorithm>
#include <cmath>

#include "sync/set_clock.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

// Releases the privilege on every way out of the correction.
class PrivilegeHold {
public:
    explicit PrivilegeHold(TimePrivilege& p) : p_(p) {}
    ~PrivilegeHold() { p_.Release(); }
    PrivilegeHold(const PrivilegeHold&) = delete;
    PrivilegeHold& operator=(const PrivilegeHold&) = delete;

private:
    TimePrivilege& p_;
};

// Milliseconds until a reading with these milliseconds could lie in the allowed window, 0 when it
// does now.
int64_t MsUntilWindow(int32_t owed, int ms) {
    const int64_t v = static_cast<int64_t>(owed) + ms;
    if (v < 0) return -v;           // a negative correction needs the reading to reach -owed
    if (v > 999) return 1000 - ms;  // a positive one waits for the next second
    return 0;
}

}  // namespace

int64_t DriftDue(const SystemTime& now, const SystemTime& reference, double ratio, int sign) {
    if (!(ratio > 0.0)) return 0;
    const double due = static_cast<double>(DiffMilliseconds(now, reference) + 1) / ratio;
    const int64_t magnitude = static_cast<int64_t>(std::trunc(due));
    return sign < 0 ? -magnitude : magnitude;
}

int32_t DriftOwed(int64_t due, int64_t applied) {
    return static_cast<int32_t>(static_cast<uint32_t>(due) - static_cast<uint32_t>(applied));
}

DriftOutcome CorrectDrift(const DriftInputs& in, const DriftCorrectionPorts& ports,
                          const std::atomic<bool>& cancel) {
    DriftOutcome out;
    if (!ports.privilege.Acquire()) {
        out.result = DriftResult::kNoPrivilege;
        return out;
    }
    PrivilegeHold hold(ports.privilege);

    out.due = DriftDue(ports.clock.Now(), in.referenceTime, in.driftRatio, in.driftSign);
    out.owed = DriftOwed(out.due, in.totalOffset);
    if (out.owed == 0) {
        out.result = DriftResult::kNothingOwed;
        return out;
    }
    // No reading can take a correction this large within its second: waiting would never end.
    if (out.owed >= kMaxDriftCorrectionMs || out.owed <= -kMaxDriftCorrectionMs) {
        out.result = DriftResult::kTooLarge;
        return out;
    }

    const int64_t deadline = ports.monotonic.NowMs() + kDriftGiveUpMs;
    SystemTime start = ports.clock.Now();
    for (;;) {
        if (cancel.load(std::memory_order_relaxed)) {
            out.result = DriftResult::kCancelled;
            return out;
        }
        SystemTime cur = ports.clock.Now();
        const int64_t v = static_cast<int64_t>(out.owed) + cur.wMilliseconds;
        if (cur.wMilliseconds != start.wMilliseconds && v >= 0 && v <= 999) {
            cur.wMilliseconds = static_cast<uint16_t>(v);
            switch (SetLocalClock(ports.clock, cur, in.floor, out.error)) {
                case SetClockResult::kSet:
                    out.result = DriftResult::kApplied;
                    break;
                case SetClockResult::kBeforeFloor:
                    out.result = DriftResult::kBeforeFloor;
                    break;
                case SetClockResult::kFailed:
                    out.result = DriftResult::kSetFailed;
                    break;
            }
            return out;
        }
        if (ports.monotonic.NowMs() >= deadline) {
            out.result = DriftResult::kMissed;
            return out;
        }
        const int64_t wait = MsUntilWindow(out.owed, cur.wMilliseconds);
        if (wait > kDriftSpinMs) {
            // Far from the window: sleep most of the way, in slices short enough for a prompt stop,
            // then look for the next tick again so the change still lands right after one.
            ports.sleeper.SleepMs(std::min(wait - kDriftSpinMs, kDriftSleepSliceMs));
            start = ports.clock.Now();
        }
    }
}

int DriftCorrectionThread(DriftJob& job) {
    job.outcome = CorrectDrift(job.inputs, job.ports, job.cancel);
    return 0;
}

}  // namespace pelto
