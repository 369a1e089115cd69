#include <gtest/gtest.h>

#include "platform/system_time.h"

namespace pelto {
namespace {

TEST(LocalTimePort, RoundTripsThroughSecondsAcrossTheYear) {
    // Every month's first day at noon, and a summer night, survive seconds and back unchanged.
    for (uint16_t month = 1; month <= 12; ++month) {
        const SystemTime t{2024, month, 0, 1, 12, 34, 56, 0};
        int64_t s = 0;
        ASSERT_TRUE(LocalToSeconds(t, s));
        SystemTime back{};
        ASSERT_TRUE(SecondsToLocal(s, back));
        EXPECT_EQ(back.wYear, t.wYear);
        EXPECT_EQ(back.wMonth, t.wMonth);
        EXPECT_EQ(back.wDay, t.wDay);
        EXPECT_EQ(back.wHour, t.wHour);
        EXPECT_EQ(back.wMinute, t.wMinute);
        EXPECT_EQ(back.wSecond, t.wSecond);
    }
}

TEST(LocalTimePort, UnixEpochIsZeroSecondsInUtcFields) {
    SystemTime t{};
    ASSERT_TRUE(SecondsToLocal(0, t));
    int64_t s = -1;
    ASSERT_TRUE(LocalToSeconds(t, s));
    EXPECT_EQ(s, 0);
    EXPECT_EQ(t.wDayOfWeek, 4);  // a Thursday everywhere on Earth but the far east/west edges
}

}  // namespace
}  // namespace pelto
