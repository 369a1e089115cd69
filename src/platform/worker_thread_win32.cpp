// Worker threads at time-critical priority: made suspended, raised, then let go, so the body
// never runs a moment at the normal priority.
#include <windows.h>

#include "framework/handle.h"
#include "platform/worker_thread.h"

namespace pelto {
namespace {

class Win32WorkerThread final : public WorkerThread {
public:
    explicit Win32WorkerThread(std::function<void()> body) : body_(std::move(body)) {}
    ~Win32WorkerThread() override { Join(); }

    bool Start() {
        handle_.reset(CreateThread(nullptr, 0, &Win32WorkerThread::Main, this, CREATE_SUSPENDED, nullptr));
        if (!handle_) return false;
        SetThreadPriority(handle_.get(), THREAD_PRIORITY_TIME_CRITICAL);
        if (ResumeThread(handle_.get()) == static_cast<DWORD>(-1)) {
            // A thread that cannot be resumed never runs: end it before anybody waits for it.
            TerminateThread(handle_.get(), 0);
            handle_.reset();
            return false;
        }
        return true;
    }

    bool Running() const override { return handle_ && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT; }
    void Join() override {
        if (handle_) WaitForSingleObject(handle_.get(), INFINITE);
    }

private:
    static DWORD WINAPI Main(void* self) {
        static_cast<Win32WorkerThread*>(self)->body_();
        return 0;
    }

    std::function<void()> body_;
    UniqueHandle handle_;
};

class Win32Threads final : public ThreadPort {
public:
    std::unique_ptr<WorkerThread> Start(std::function<void()> body) override {
        auto thread = std::make_unique<Win32WorkerThread>(std::move(body));
        if (!thread->Start()) return nullptr;
        return thread;
    }
};

}  // namespace

ThreadPort& SystemThreadPort() {
    static Win32Threads threads;
    return threads;
}

}  // namespace pelto
