#include "clock/clock_state.h"

#include "sync/set_clock.h"

namespace pelto {

ClockState::ClockState(LocalClock& clock, const SyncPorts& ports)
    : m_earliestSettable(BuildDateFloor()),
      m_clockPort(clock),
      m_sync(ports),
      m_privilege(ports.privileges) {}

ClockState::~ClockState() {
    if (m_drift) m_drift->Stop();
}

void ClockState::LogSyncResult(const std::string& text) {
    AddLogRecord(std::make_unique<CSyncLog>(m_clockPort.Now(), m_syncState, m_syncSubState, m_lastRoundTrip,
                                            m_totalOffset, m_offset, m_elapsed, m_driftRatio, text));
}

void ClockState::LogSyncNote(const std::string& text) {
    AddLogRecord(std::make_unique<CSyncLog>(m_clockPort.Now(), m_syncState, m_syncSubState, text));
}

}  // namespace pelto
