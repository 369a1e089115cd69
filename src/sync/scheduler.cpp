// The synchronisation scheduler: after a restart three quick synchronisations that set the clock
// and learn the usual round trip, then the drift measured and refined twice, then synchronisation
// at the chosen cycle. Stepped once per second by the clock's tick.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "clock/clock_state.h"

namespace pelto {
namespace {

constexpr char kRetriesExhausted[] = "リトライ回数オーバー";
constexpr char kTooSlow[] = "通信時間オーバー";

constexpr int kActEvery = 60;        // steps between attempts within a state
constexpr int kAfterFailure = 600;   // steps after a failed attempt of states 1 and 2
constexpr int kAfterAccepted = 600;  // steps after an accepted attempt of states 2 to 4
constexpr int kFirstAttempt = 10;    // steps from a restart to the first attempt
constexpr int kMaxTooSlow = 5;       // sub-state beyond which a too-slow attempt restarts

// Steps between steady-state attempts. The cycle list has 25 entries (0 = 30 minutes, k = k
// hours); a value outside it can only come from a hand-edited file and is taken as the nearest
// end of the list, so every countdown is positive and runs out.
int SteadyCountdown(int cycle) {
    cycle = std::clamp(cycle, 0, 24);
    return cycle == 0 ? 1800 : cycle * 3600;
}

// The acceptance limit of states 2 to 5: the limit plus half of it for every attempt so far.
int AcceptanceLimit(int limit, int subState) { return limit + (limit / 2) * (subState + 1); }

}  // namespace

bool ClockState::CountdownDue() {
    // A count that somehow went below 1 is due as well, rather than never again.
    if (--m_countdown > 0) return false;
    m_countdown = kActEvery;
    return true;
}

void ClockState::LogPendingResult() {
    if (!m_resultPending) return;
    LogSyncResult(m_resultText);
    m_resultText.clear();
    m_resultPending = false;
}

void ClockState::SchedulerStep() {
    if (m_attemptRunning) return;
    StepCurrentState();
}

void ClockState::StepCurrentState() {
    switch (m_syncState) {
        case 1:
            StepInitial();
            break;
        case 2:
            StepFirstDrift();
            break;
        case 3:
        case 4:
            StepRefineDrift();
            break;
        case 5:
            StepSteady();
            break;
        default:  // 0, and any state this program does not know, start over
            SchedulerRestart();
            break;
    }
}

void ClockState::SchedulerRestart() {
    StopDriftCorrection();
    m_syncState = 1;
    m_syncSubState = 0;
    m_roundTripLimit = 0;
    m_driftRatio = 0.0;
    m_driftSign = 1;
    m_totalOffset = 0;
    m_offset = 0;
    m_elapsed = 0;
    m_referenceValid = 0;
    m_countdown = kFirstAttempt;
    m_resyncRequested = false;
    m_driftHeld = false;
}

void ClockState::StepInitial() {
    if (!CountdownDue()) return;
    switch (m_syncSubState) {
        case 0: {
            int32_t r = 0;
            if (!SyncOnce(r, m_exec != 0)) {
                m_countdown = kAfterFailure;
                return;
            }
            if (m_clockSet) {
                m_referenceTime = m_correctTime;
                m_elapsed = 0;
            }
            m_roundTripLimit = std::max(r, 10);
            LogPendingResult();
            m_syncSubState = 1;
            return;
        }
        case 1:
        case 2: {
            int32_t r = m_roundTripLimit;
            if (!SyncOnce(r, m_exec != 0)) {
                m_syncSubState = 0;
                m_countdown = kAfterFailure;
                return;
            }
            if (r <= m_roundTripLimit && m_clockSet) {
                m_elapsed = 0;
                m_referenceTime = m_correctTime;
                m_roundTripLimit = std::max((m_roundTripLimit + 2 * r) / 2, 10);
            }
            LogPendingResult();
            ++m_syncSubState;
            return;
        }
        default:
            m_syncState = 2;
            m_syncSubState = 0;
            return;
    }
}

void ClockState::StepFirstDrift() { StepDriftFamily(); }
void ClockState::StepRefineDrift() { StepDriftFamily(); }
void ClockState::StepSteady() { StepDriftFamily(); }

void ClockState::StepDriftFamily() {
    if (!CountdownDue()) return;
    const int state = m_syncState;
    const int limit = AcceptanceLimit(m_roundTripLimit, m_syncSubState);
    int32_t r = limit;
    if (!SyncOnce(r, m_exec != 0)) {
        if (state == 2) m_countdown = kAfterFailure;
        return;
    }

    if (r >= limit) {  // too slow: the clock was not set
        if (m_syncSubState > kMaxTooSlow) {
            m_syncState = 0;
            LogSyncNote(kRetriesExhausted);
            return;
        }
        char head[48];
        std::snprintf(head, sizeof head, "%4d-%d ", m_lastRoundTrip, limit);
        LogSyncNote(head + m_resultText + kTooSlow);
        ++m_syncSubState;
        return;
    }

    m_countdown = state == 5 ? SteadyCountdown(m_cycle) : kAfterAccepted;
    const int64_t c = m_offset + m_totalOffset;  // the drift accumulated since the reference time
    if (m_exec && (state != 2 || c != 0)) m_totalOffset = c;
    if (c != 0) {
        const double ratio = std::fabs(static_cast<double>(m_elapsed) / static_cast<double>(c));
        if (state == 2 || m_offset > 2 * static_cast<int64_t>(m_roundTripLimit) || m_offset < 0) {
            m_driftRatio = ratio;
        } else if (m_offset > m_roundTripLimit) {
            m_driftRatio = (3 * ratio + m_driftRatio) * 0.25;
        } else if (m_offset > m_roundTripLimit / 2) {
            m_driftRatio = (ratio + m_driftRatio) * 0.5;
        }
        m_driftSign = c < 0 ? -1 : 1;
    }
    LogPendingResult();
    m_syncSubState = 0;
    if (c != 0 && state < 5) m_syncState = state + 1;
    m_roundTripLimit = std::clamp((7 * m_roundTripLimit + r) / 8, 10, 999);
}

void ClockState::DriftCheck() {
    CollectDriftCorrection();
    if (m_attemptRunning) return;
    if (m_resyncRequested) {
        ResyncAfterTooLargeDrift();
        return;
    }
    if (!(m_syncState > 2 && m_fullAuto && m_driftRatio > 10.0 && m_exec) || m_driftHeld) return;
    if (DriftCorrectionRunning()) return;  // one correction at a time
    const int64_t due = DriftDue(m_clockPort.Now(), m_referenceTime, m_driftRatio, m_driftSign);
    const int64_t owed = DriftOwed(due, m_totalOffset);
    const int64_t threshold = m_driftRatio > 1000.0 ? 1 : m_driftRatio > 500.0 ? 9 : 99;
    if (std::llabs(owed) > threshold) StartDriftCorrection();
}

bool ClockState::OnlineCheckDue() {
    if (m_attemptRunning) return false;
    if (!(m_rasCheck && m_online == 0 && m_fullAuto && (m_syncState >= 2 || m_syncSubState != 0)))
        return false;
    // One re-check a minute at most: a connection that is up while the server does not answer
    // would otherwise start an attempt on every tick and keep the clock blocked in them.
    const int64_t now = m_sync.monotonic.NowMs();
    if (m_onlineRecheckArmed && now < m_onlineRecheckAfterMs) return false;
    if (!IsOnline()) return false;
    m_onlineRecheckArmed = true;
    m_onlineRecheckAfterMs = now + kActEvery * 1000;
    return true;
}

void ClockState::SyncNow() {
    if (m_attemptRunning) return;
    m_resultPending = false;
    if (m_fullAuto && m_exec) {
        if (m_syncState == 0) {
            SchedulerRestart();
            m_countdown = 1;
            StepInitial();
        } else {
            m_countdown = 1;
            StepCurrentState();
        }
        return;
    }
    int32_t r = 0;
    SyncOnce(r, true);
    if (m_clockSet) {
        m_referenceTime = m_correctTime;
        m_elapsed = 0;
        m_offset = 0;
    }
    LogPendingResult();
}

}  // namespace pelto
