// Worker threads from the C++ library: what the native build has, and what the threaded tests run
// under the thread sanitizer.
#include <atomic>
#include <thread>

#include "platform/worker_thread.h"

namespace pelto {
namespace {

class StdWorkerThread final : public WorkerThread {
public:
    explicit StdWorkerThread(std::function<void()> body)
        : thread_([this, body = std::move(body)] {
              body();
              running_.store(false, std::memory_order_release);
          }) {}
    ~StdWorkerThread() override { Join(); }

    bool Running() const override { return running_.load(std::memory_order_acquire); }
    void Join() override {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::atomic<bool> running_{true};
    std::thread thread_;  // last: starts once the flag exists
};

class StdThreads final : public ThreadPort {
public:
    std::unique_ptr<WorkerThread> Start(std::function<void()> body) override {
        try {
            return std::make_unique<StdWorkerThread>(std::move(body));
        } catch (...) {  // std::system_error: no thread to be had
            return nullptr;
        }
    }
};

}  // namespace

ThreadPort& StdThreadPort() {
    static StdThreads threads;
    return threads;
}

}  // namespace pelto
