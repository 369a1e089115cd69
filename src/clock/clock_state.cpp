#include "clock/clock_state.h"

namespace pelto {

void ClockState::LogSyncResult(const std::string& text) {
    AddLogRecord(std::make_unique<CSyncLog>(m_clockPort.Now(), m_syncState, m_syncSubState, m_lastRoundTrip,
                                            m_totalOffset, m_offset, m_elapsed, m_driftRatio, text));
}

void ClockState::LogSyncNote(const std::string& text) {
    AddLogRecord(std::make_unique<CSyncLog>(m_clockPort.Now(), m_syncState, m_syncSubState, text));
}

}  // namespace pelto
