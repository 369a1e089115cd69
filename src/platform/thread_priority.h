#pragma once
// The scheduling priority of the calling thread: raised to time-critical for the moment the clock
// is measured and set, then back to normal.
namespace pelto {

class ThreadPriorityPort {
public:
    virtual ~ThreadPriorityPort() = default;
    virtual void RaiseCurrentToTimeCritical() = 0;
    virtual void RestoreCurrentToNormal() = 0;
};

#ifdef _WIN32
ThreadPriorityPort& SystemThreadPriorityPort();
#endif

}  // namespace pelto
