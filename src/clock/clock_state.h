#pragma once
// Everything the running clock knows that is not a window-system object: the settings, the face's
// measurements, the tick's bookkeeping, the scheduler's state and the journal. The clock dialog
// is this state plus its window; portable code (scheduler, synchronisation, tests) works on it
// directly.
#include <cstdint>
#include <memory>
#include <string>

#include "app/settings.h"
#include "platform/local_clock.h"
#include "platform/system_time.h"
#include "sync/drift_correction.h"
#include "sync/sync_log.h"
#include "sync/sync_ports.h"
#include "sync/time_privilege.h"

namespace pelto {

struct CellSize {
    int cx = 0;
    int cy = 0;
};

class ClockState : public Settings {
public:
    ClockState(LocalClock& clock, const SyncPorts& ports);
    // A correction thread still running is stopped and joined: it never outlives the clock.
    ~ClockState();
    ClockState(const ClockState&) = delete;
    ClockState& operator=(const ClockState&) = delete;

    // Journal operations; records are stamped with the clock port's local time.
    void AddLogRecord(std::unique_ptr<CSyncLog> record) { m_log.Add(std::move(record)); }
    void LogSyncResult(const std::string& text);
    void LogSyncNote(const std::string& text);
    void ClearLog() noexcept { m_log.Clear(); }

    LocalClock& ClockPort() noexcept { return m_clockPort; }

    // --- One synchronisation attempt (sync_once.cpp) ---------------------------------------
    // roundTrip in: the round trip a new measurement must beat before the clock is set (0: no
    // limit); out, on success: the new measurement's round trip.
    bool SyncOnce(int32_t& roundTrip, bool apply);
    bool SyncViaSntp(int32_t& roundTrip, bool apply);
    bool SyncViaHttp(int32_t& roundTrip, bool apply);
    bool IsOnline();
    // The time-setting privilege is enabled and disabled through m_privilege, which serialises
    // it with the correction thread (sync/time_privilege.h has the helpers on the port).
    void RaisePriority();
    void RestorePriority();

    // --- The scheduler (scheduler.cpp) -----------------------------------------------------
    // The tick's share, in the order the tick runs them: SchedulerStep on the first tick of a new
    // second (when automatic operation is on), DriftCheck on the other ticks, and on every tick
    // OnlineCheckDue, which says whether the sync-now command is to run.
    void SchedulerStep();
    void DriftCheck();
    bool OnlineCheckDue();
    // The logic of the sync-now command.
    void SyncNow();
    void SchedulerRestart();
    void StepInitial();
    void StepFirstDrift();
    void StepRefineDrift();
    void StepSteady();

    // --- The drift correction (drift_control.cpp) ------------------------------------------
    // Starts the correction thread unless one is running. False when none was started.
    bool StartDriftCorrection();
    // Takes the outcome of a correction thread that has ended; true when one was taken.
    bool CollectDriftCorrection();
    // Stops a running correction thread, waits for it and takes its outcome.
    void StopDriftCorrection();
    bool DriftCorrectionRunning() const;

    // Face and tick.
    int m_saveSuppressed = 1;
    int64_t m_lastSecond = 0;
    uintptr_t m_timerId = 0;
    CellSize m_cellSize;
    int m_plateWidth = 0;

    // Synchronisation.
    int m_online = 0;
    SystemTime m_referenceTime;
    SystemTime m_latestRequestTime;
    SystemTime m_requestTime;
    SystemTime m_serverReceiveTime;
    SystemTime m_serverTransmitTime;
    SystemTime m_replyTime;
    SystemTime m_correctTime;
    int m_roundTripLimit = 0;
    int64_t m_totalOffset = 0;
    int64_t m_offset = 0;
    int64_t m_elapsed = 0;
    int m_countdown = 0;
    int m_syncState = 0;
    int m_syncSubState = 0;
    double m_driftRatio = 0.0;
    std::string m_resultText;
    int m_referenceValid = 0;
    bool m_resultPending = false;
    bool m_clockSet = false;
    int m_lastRoundTrip = 0;
    // Direction of the measured drift: +1 the clock loses time (corrections move it forward), -1
    // it gains (corrections move it back). m_driftRatio is the magnitude.
    int m_driftSign = 1;
    // The clock is never set to a time before this (the day before the program was built).
    SystemTime m_earliestSettable;

    SyncJournal m_log;

private:
    // The step of states 2 to 5, told which of them it is.
    void StepDriftFamily();
    void StepCurrentState();
    // Decrements the countdown; true when it has run out (the countdown is then 60).
    bool CountdownDue();
    void LogPendingResult();
    // The end of a successful exchange: the build-date check, setting the clock, the result text.
    bool FinishExchange(int32_t& roundTrip, int32_t measured, bool apply);
    // The exchange of one source with its failure note; the result text starts with `name`.
    bool QuerySource(bool http, const std::string& name, int32_t& measured);
    void ApplyDriftOutcome(const DriftOutcome& outcome);
    void ResyncAfterTooLargeDrift();

    LocalClock& m_clockPort;
    SyncPorts m_sync;
    TimePrivilege m_privilege;
    std::unique_ptr<DriftJob> m_drift;
    // An attempt is under way; a tick served by a message box the attempt shows must not start
    // another one or change the state the attempt is working on.
    bool m_attemptRunning = false;
    // A correction too large for the thread was seen: the next drift check synchronises.
    bool m_resyncRequested = false;
    // The system refused a correction: none is tried again until a synchronisation sets the clock.
    bool m_driftHeld = false;
    // Monotonic time before which the dial-up re-check does not run again after it ran.
    int64_t m_onlineRecheckAfterMs = 0;
    bool m_onlineRecheckArmed = false;
};

}  // namespace pelto
