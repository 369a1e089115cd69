#pragma once
// The ports the clock's synchronisation uses on Windows: the SNTP exchange over Winsock and the
// HTTP page over WinINet (both reading the clock the program keeps), the token's privileges,
// thread priority, the dial-up state, worker threads at time-critical priority. The clock dialog
// holds one for its whole life.
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "sync/sync_ports.h"
#include "sync/time_sources.h"

namespace pelto {

class ClockSyncPorts {
public:
    explicit ClockSyncPorts(LocalClock& clock);
    ClockSyncPorts(const ClockSyncPorts&) = delete;
    ClockSyncPorts& operator=(const ClockSyncPorts&) = delete;

    SyncPorts Ports();

private:
    // The HTTP source's failures: a message box with the application title, owned by the active
    // window, as the framework's message boxes are.
    class AppMessageBox final : public MessageBoxPort {
    public:
        void Show(const std::string& text) override;
    };

    AppMessageBox m_messages;
    SystemTimeSources m_sources;
};

}  // namespace pelto
