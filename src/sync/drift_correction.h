#pragma once
// Between synchronisations the clock is moved by the drift the scheduler has measured: a worker
// thread changes only the milliseconds of the clock, right after the system clock has ticked, so
// the change never crosses a second. The thread works on a copy of the numbers it needs and hands
// its outcome back through its job; the GUI thread alone writes the clock object's members.
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/local_clock.h"
#include "platform/monotonic_clock.h"
#include "platform/sleeper.h"
#include "platform/worker_thread.h"
#include "sync/time_privilege.h"

namespace pelto {

// The drift in ms due since the reference time: (elapsed ms + 1) / ratio, truncated towards zero,
// in the drift's direction (+1: the clock loses time and is moved forward; -1: it gains). 0 for a
// ratio that is not positive.
int64_t DriftDue(const SystemTime& now, const SystemTime& reference, double ratio, int sign);

// The part of `due` not applied yet: the low 32 bits of both, subtracted in 32-bit arithmetic.
int32_t DriftOwed(int64_t due, int64_t applied);

// A correction of this size or more cannot be made within one second.
inline constexpr int32_t kMaxDriftCorrectionMs = 1000;

struct DriftInputs {
    SystemTime referenceTime;
    double driftRatio = 0.0;
    int driftSign = 1;
    int64_t totalOffset = 0;
    SystemTime floor;  // never set the clock before this
};

enum class DriftResult {
    kNoPrivilege,  // the privilege could not be enabled: nothing done
    kNothingOwed,  // the owed correction is 0
    kApplied,      // the clock was moved; `due` is the new accumulated offset
    kTooLarge,     // |owed| >= 1000 ms: not applied, the clock needs a synchronisation
    kMissed,       // no reading in the allowed window before the wait gave up
    kCancelled,    // the GUI thread asked the thread to stop
    kSetFailed,    // the system refused the change; `error` is its code
    kBeforeFloor,  // the new time would lie before the build date
};

struct DriftOutcome {
    DriftResult result = DriftResult::kCancelled;
    int64_t due = 0;
    int32_t owed = 0;
    uint32_t error = 0;
};

struct DriftCorrectionPorts {
    LocalClock& clock;
    TimePrivilege& privilege;
    MonotonicClock& monotonic;
    Sleeper& sleeper;
};

// How long the wait may go on in all before it gives up, and how near the allowed window must be
// before the wait spins instead of sleeping. A spin therefore lasts about one tick of the system
// clock at most (15.6 ms on a default Windows clock).
inline constexpr int64_t kDriftGiveUpMs = 1100;
inline constexpr int64_t kDriftSpinMs = 16;
inline constexpr int64_t kDriftSleepSliceMs = 20;

// One correction. The wait ends at the first reading, after the clock has ticked, whose
// milliseconds plus the owed correction stay within 0..999; that reading with its milliseconds
// replaced is set.
DriftOutcome CorrectDrift(const DriftInputs& in, const DriftCorrectionPorts& ports,
                          const std::atomic<bool>& cancel);

// One correction thread: its inputs, its outcome and the thread itself. The outcome may be read
// once the thread has been joined.
struct DriftJob {
    DriftJob(const DriftInputs& in, const DriftCorrectionPorts& p) : inputs(in), ports(p) {}
    ~DriftJob() { Stop(); }
    // Asks the thread to stop waiting and joins it.
    void Stop() {
        cancel.store(true, std::memory_order_relaxed);
        if (thread) thread->Join();
    }

    DriftInputs inputs;
    DriftCorrectionPorts ports;
    std::atomic<bool> cancel{false};
    DriftOutcome outcome;
    std::unique_ptr<WorkerThread> thread;
};

// The thread's procedure: makes the correction and leaves the outcome in the job. Returns 0.
int DriftCorrectionThread(DriftJob& job);

}  // namespace pelto
