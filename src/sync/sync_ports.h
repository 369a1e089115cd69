#pragma once
// Everything a synchronisation reaches outside the clock's own state, besides the local clock:
// the time sources, the token's privileges, thread priority, the dial-up state, worker threads,
// and the monotonic clock and sleep of the drift correction's wait. The clock is given real ones,
// the tests fakes.
#include "platform/dial_up.h"
#include "platform/monotonic_clock.h"
#include "platform/privileges.h"
#include "platform/sleeper.h"
#include "platform/thread_priority.h"
#include "platform/worker_thread.h"
#include "sync/time_sources.h"

namespace pelto {

struct SyncPorts {
    TimeSources& sources;
    PrivilegePort& privileges;
    ThreadPriorityPort& priority;
    DialUpPort& dialUp;
    ThreadPort& threads;
    MonotonicClock& monotonic;
    Sleeper& sleeper;
};

}  // namespace pelto
