#include "platform/sleeper.h"

#include <chrono>
#include <thread>

namespace pelto {
namespace {

class ThreadSleeper final : public Sleeper {
public:
    void SleepMs(int64_t ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace

Sleeper& SystemSleeper() {
    static ThreadSleeper sleeper;
    return sleeper;
}

}  // namespace pelto
