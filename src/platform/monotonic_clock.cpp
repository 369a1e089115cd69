#include "platform/monotonic_clock.h"

#include <chrono>

namespace pelto {
namespace {

class SteadyClock final : public MonotonicClock {
public:
    int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace

MonotonicClock& SystemMonotonicClock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace pelto
