// The Windows local clock reads the same local time as the local-time port computes from the
// system's seconds. Setting it is not tried here: tests never touch the clock.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/local_clock.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

TEST(Win32LocalClock, NowAgreesWithTheSystemSeconds) {
    const SystemTime now = SystemLocalClock().Now();
    SystemTime expected{};
    ASSERT_TRUE(SecondsToLocal(static_cast<int64_t>(std::time(nullptr)), expected));
    EXPECT_LT(std::llabs(DiffMilliseconds(now, expected)), 2000)
        << FormatDateTimeMs(now) << " vs" << FormatDateTimeMs(expected);
    EXPECT_LE(now.wMilliseconds, 999);
}

}  // namespace
}  // namespace pelto
