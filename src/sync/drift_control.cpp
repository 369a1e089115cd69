// The GUI thread's side of the drift correction: starting one correction thread at a time, and
// taking its outcome back into the clock object once it has ended.
#include <string>

#include "clock/clock_state.h"

namespace pelto {
namespace {

constexpr char kTooLargeOpen[] = "ドリフト補正 ";
constexpr char kTooLargeClose[] = " ms は一度に補正できないため、時刻同期をやり直します";
constexpr char kCorrectionRefused[] = "ドリフト補正：時刻を設定できませんでした。（エラーコード ";
constexpr char kCorrectionBeforeBuild[] =
    "ドリフト補正：このプログラムの作成日より前の時刻になるため補正しません";
constexpr char kClose[] = "）";

}  // namespace

bool ClockState::DriftCorrectionRunning() const { return m_drift && m_drift->thread->Running(); }

bool ClockState::StartDriftCorrection() {
    if (DriftCorrectionRunning()) return false;
    CollectDriftCorrection();
    const DriftInputs inputs{m_referenceTime, m_driftRatio, m_driftSign, m_totalOffset, m_earliestSettable};
    auto job = std::make_unique<DriftJob>(
        inputs, DriftCorrectionPorts{m_clockPort, m_privilege, m_sync.monotonic, m_sync.sleeper});
    DriftJob* running = job.get();
    job->thread = m_sync.threads.Start([running] { DriftCorrectionThread(*running); });
    if (!job->thread) return false;
    m_drift = std::move(job);
    return true;
}

bool ClockState::CollectDriftCorrection() {
    if (!m_drift || m_drift->thread->Running()) return false;
    StopDriftCorrection();
    return true;
}

void ClockState::StopDriftCorrection() {
    if (!m_drift) return;
    m_drift->Stop();
    const DriftOutcome outcome = m_drift->outcome;
    m_drift.reset();
    ApplyDriftOutcome(outcome);
}

void ClockState::ApplyDriftOutcome(const DriftOutcome& outcome) {
    switch (outcome.result) {
        case DriftResult::kApplied:
            m_totalOffset = outcome.due;
            break;
        case DriftResult::kTooLarge:
            LogSyncNote(kTooLargeOpen + std::to_string(outcome.owed) + kTooLargeClose);
            m_resyncRequested = true;
            break;
        case DriftResult::kSetFailed:
            LogSyncNote(kCorrectionRefused + std::to_string(outcome.error) + kClose);
            m_driftHeld = true;
            break;
        case DriftResult::kBeforeFloor:
            LogSyncNote(kCorrectionBeforeBuild);
            m_driftHeld = true;
            break;
        case DriftResult::kNoPrivilege:
        case DriftResult::kNothingOwed:
        case DriftResult::kMissed:
        case DriftResult::kCancelled:
            break;  // nothing changed; the next check decides again
    }
}

void ClockState::ResyncAfterTooLargeDrift() {
    m_resyncRequested = false;
    if (!(m_fullAuto && m_exec)) return;
    // The drift model no longer describes the clock (a long suspend, a clock changed by hand):
    // measure it afresh from a new reference, starting with an attempt at once.
    m_syncState = 0;
    SyncNow();
}

}  // namespace pelto
