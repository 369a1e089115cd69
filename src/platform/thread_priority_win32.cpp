#include <windows.h>

#include "platform/thread_priority.h"

namespace pelto {
namespace {

class Win32ThreadPriority final : public ThreadPriorityPort {
public:
    void RaiseCurrentToTimeCritical() override {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
    void RestoreCurrentToNormal() override { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL); }
};

}  // namespace

ThreadPriorityPort& SystemThreadPriorityPort() {
    static Win32ThreadPriority priority;
    return priority;
}

}  // namespace pelto
