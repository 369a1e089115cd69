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
#include "sync/sync_log.h"

namespace pelto {

struct CellSize {
    int cx = 0;
    int cy = 0;
};

class ClockState : public Settings {
public:
    explicit ClockState(LocalClock& clock) : m_clockPort(clock) {}

    // Journal operations; records are stamped with the clock port's local time.
    void AddLogRecord(std::unique_ptr<CSyncLog> record) { m_log.Add(std::move(record)); }
    void LogSyncResult(const std::string& text);
    void LogSyncNote(const std::string& text);
    void ClearLog() noexcept { m_log.Clear(); }

    LocalClock& ClockPort() noexcept { return m_clockPort; }

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

    SyncJournal m_log;

private:
    LocalClock& m_clockPort;
};

}  // namespace pelto
