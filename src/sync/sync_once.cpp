// One synchronisation attempt: the online check, the priority and privilege bracket, the exchange
// with the configured source, setting the clock, and the measurements left for the scheduler.
#include <string>

#include "clock/clock_state.h"
#include "sync/set_clock.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

constexpr char kSetFailed[] = "時刻を設定できませんでした。";
constexpr char kErrorCodeOpen[] = "（エラーコード ";
constexpr char kErrorCodeClose[] = "）";
constexpr char kBeforeBuildOpen[] = "受信した時刻";
constexpr char kBeforeBuildClose[] = " はこのプログラムの作成日より前です。";
constexpr char kUpdate[] = " update";

}  // namespace

bool ClockState::SyncOnce(int32_t& roundTrip, bool apply) {
    // Nothing nudges the clock while it is measured and set.
    StopDriftCorrection();
    m_clockSet = false;
    m_latestRequestTime = m_clockPort.Now();
    if (!IsOnline()) {
        m_online = 0;
        return false;
    }

    m_attemptRunning = true;
    RaisePriority();
    bool ok = false;
    if (m_privilege.Acquire()) {
        ok = m_useHttp ? SyncViaHttp(roundTrip, apply) : SyncViaSntp(roundTrip, apply);
        m_online = ok ? 1 : 0;
        m_privilege.Release();
    }
    RestorePriority();
    m_attemptRunning = false;
    if (!ok) return false;

    m_lastRoundTrip = roundTrip;
    m_offset = DiffMilliseconds(m_correctTime, m_replyTime);
    if (m_referenceValid) m_elapsed = DiffMilliseconds(m_correctTime, m_referenceTime);
    m_referenceValid = 1;
    if (m_clockSet) {
        m_latestRequestTime = m_correctTime;
        m_driftHeld = false;
    }
    return true;
}

bool ClockState::QuerySource(bool http, const std::string& name, int32_t& measured) {
    m_resultText = name + " ";
    std::string error;
    const ExchangeTimes times{m_requestTime, m_serverReceiveTime, m_serverTransmitTime, m_replyTime,
                              m_correctTime};
    bool ok = http ? m_sync.sources.QueryHttp(name, error, times, measured)
                   : m_sync.sources.QuerySntp(name, error, times, measured);
    // A time from before this program existed comes from a broken or forged source.
    if (ok && IsEarlier(m_correctTime, m_earliestSettable)) {
        ok = false;
        error = kBeforeBuildOpen + FormatDateTime(m_correctTime) + kBeforeBuildClose;
    }
    if (!ok) {
        m_resultText += error;
        LogSyncNote(m_resultText);
    }
    return ok;
}

bool ClockState::SyncViaSntp(int32_t& roundTrip, bool apply) {
    int32_t measured = 0;
    if (!QuerySource(false, m_ntpServer1, measured)) {
        if (m_ntpServer2.empty()) return false;
        if (!QuerySource(false, m_ntpServer2, measured)) return false;
    }
    return FinishExchange(roundTrip, measured, apply);
}

bool ClockState::SyncViaHttp(int32_t& roundTrip, bool apply) {
    int32_t measured = 0;
    if (!QuerySource(true, m_httpUrl1, measured)) return false;
    return FinishExchange(roundTrip, measured, apply);
}

bool ClockState::FinishExchange(int32_t& roundTrip, int32_t measured, bool apply) {
    // A measurement of 0 ms never sets the clock: 0 stands for "no limit" on the way in.
    if (apply && measured != 0 && (measured < roundTrip || roundTrip == 0)) {
        uint32_t error = 0;
        switch (SetLocalClock(m_clockPort, m_correctTime, m_earliestSettable, error)) {
            case SetClockResult::kSet:
                m_resultText += kUpdate;
                m_clockSet = true;
                break;
            case SetClockResult::kBeforeFloor:
                m_resultText += kBeforeBuildOpen + FormatDateTime(m_correctTime) + kBeforeBuildClose;
                LogSyncNote(m_resultText);
                return false;
            case SetClockResult::kFailed:
                m_resultText += kSetFailed + (kErrorCodeOpen + std::to_string(error)) + kErrorCodeClose;
                LogSyncNote(m_resultText);
                return false;
        }
    }
    roundTrip = measured;
    m_resultPending = true;
    return true;
}

bool ClockState::IsOnline() {
    if (!m_rasCheck) return true;
    uint32_t entries = 0;
    const uint32_t rc = m_sync.dialUp.EnumEntries(entries);
    if (entries == 0) return false;
    if (rc != 0 && rc != kRasBufferTooSmall) return false;
    uint32_t connections = 0;
    return m_sync.dialUp.EnumConnections(entries, connections) == 0 && connections >= 1;
}

void ClockState::RaisePriority() { m_sync.priority.RaiseCurrentToTimeCritical(); }

void ClockState::RestorePriority() { m_sync.priority.RestoreCurrentToNormal(); }

}  // namespace pelto
