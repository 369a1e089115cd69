#include "clock/clock_sync_ports.h"

#include "framework/app.h"
#include "platform/datagram_port.h"
#include "platform/random_source.h"

namespace pelto {

void ClockSyncPorts::AppMessageBox::Show(const std::string& text) { AfxMessageBox(text, MB_OK); }

ClockSyncPorts::ClockSyncPorts(LocalClock& clock)
    : m_sources(SntpPorts{SystemDatagramPort(), clock, SystemMonotonicClock(), SystemRandomSource()},
                SystemHttpPort(), m_messages) {}

SyncPorts ClockSyncPorts::Ports() {
    return SyncPorts{m_sources,          SystemPrivilegePort(), SystemThreadPriorityPort(),
                     SystemDialUpPort(), SystemThreadPort(),    SystemMonotonicClock(),
                     SystemSleeper()};
}

}  // namespace pelto
