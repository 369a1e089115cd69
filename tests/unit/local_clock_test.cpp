// The native local clock: it reads the machine's time and refuses to set it, whatever it is given.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <ctime>

#include "platform/local_clock.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

TEST(NativeLocalClock, ReadsTheMachinesTimeAndNeverSetsIt) {
    LocalClock& clock = SystemLocalClock();
    const SystemTime now = clock.Now();
    SystemTime expected{};
    ASSERT_TRUE(SecondsToLocal(static_cast<int64_t>(std::time(nullptr)), expected));
    EXPECT_LT(std::llabs(DiffMilliseconds(now, expected)), 2000);

    const std::time_t before = std::time(nullptr);
    SystemTime farAway = now;
    farAway.wYear = static_cast<uint16_t>(now.wYear - 5);
    uint32_t error = 0;
    EXPECT_FALSE(clock.Set(farAway, error));
    EXPECT_EQ(error, 1314u);
    EXPECT_LT(std::llabs(static_cast<long long>(std::time(nullptr) - before)), 5);
}

}  // namespace
}  // namespace pelto
#endif
