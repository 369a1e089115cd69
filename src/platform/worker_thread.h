#pragma once
// Short-lived worker threads. Every thread is owned by the object Start returns, and that object
// joins it when it goes, so no thread outlives the data it was given.
#include <functional>
#include <memory>

namespace pelto {

class WorkerThread {
public:
    virtual ~WorkerThread() = default;  // joins
    // True until the body has returned.
    virtual bool Running() const = 0;
    // Waits for the body to return; may be called more than once.
    virtual void Join() = 0;
};

class ThreadPort {
public:
    virtual ~ThreadPort() = default;
    // Runs `body` at once on a new thread at time-critical priority (where the system has one).
    // Null when no thread could be made.
    virtual std::unique_ptr<WorkerThread> Start(std::function<void()> body) = 0;
};

// The C++ library's threads, at the system's default priority: the native build and its tests.
ThreadPort& StdThreadPort();

#ifdef _WIN32
// Windows threads, made suspended, raised to THREAD_PRIORITY_TIME_CRITICAL and then resumed.
ThreadPort& SystemThreadPort();
#endif

}  // namespace pelto
