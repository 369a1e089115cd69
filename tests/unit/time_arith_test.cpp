// Time arithmetic on local calendar times. The binary runs in Asia/Tokyo and Europe/Berlin, natively
// and under Wine, so every expectation is either zone-free or built through the local-time port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sync/time_arith.h"

namespace pelto {
namespace {

SystemTime Local(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s, uint16_t ms) {
    return SystemTime{y, mo, 0, d, h, mi, s, ms};
}

SystemTime LocalOfUnix(int64_t unixSeconds, uint16_t ms = 0) {
    SystemTime t{};
    EXPECT_TRUE(SecondsToLocal(unixSeconds, t));
    t.wMilliseconds = ms;
    return t;
}

int64_t UnixOf(const SystemTime& t) {
    int64_t s = 0;
    EXPECT_TRUE(LocalToSeconds(t, s));
    return s;
}

void ExpectFields(const SystemTime& got, const SystemTime& want) {
    EXPECT_EQ(FormatDateTimeMs(got), FormatDateTimeMs(want));
}

bool InZone(const char* zone) {
    const char* tz = std::getenv("TZ");
    return tz != nullptr && std::string(tz) == zone;
}

TEST(DiffMilliseconds, SignedMillisecondDifferences) {
    const SystemTime ten = Local(2024, 5, 20, 10, 0, 0, 0);
    const SystemTime justBefore = Local(2024, 5, 20, 9, 59, 59, 999);
    EXPECT_EQ(DiffMilliseconds(ten, ten), 0);
    EXPECT_EQ(DiffMilliseconds(ten, justBefore), 1);
    EXPECT_EQ(DiffMilliseconds(justBefore, ten), -1);
    // Across a year end and a leap day, in whole days.
    EXPECT_EQ(DiffMilliseconds(Local(2024, 1, 1, 0, 0, 0, 0), Local(2023, 12, 31, 23, 59, 59, 0)), 1000);
    EXPECT_EQ(DiffMilliseconds(Local(2024, 3, 1, 12, 0, 0, 0), Local(2024, 2, 28, 12, 0, 0, 0)), 2 * 86400000LL);
    // A decoded millisecond field of 1000 is used as it stands.
    EXPECT_EQ(DiffMilliseconds(Local(2024, 5, 20, 10, 0, 0, 1000), ten), 1000);
}

TEST(DiffMilliseconds, FollowsDaylightSavingOfTheDate) {
    if (!InZone("Europe/Berlin")) GTEST_SKIP() << "needs a zone with daylight saving";
    // 2024-03-31: 02:00 CET becomes 03:00 CEST, so the wall clock jumps by an hour in one second.
    EXPECT_EQ(DiffMilliseconds(Local(2024, 3, 31, 3, 0, 0, 0), Local(2024, 3, 31, 1, 59, 59, 0)), 1000);
    EXPECT_EQ(DiffMilliseconds(Local(2024, 7, 1, 12, 0, 0, 0), Local(2024, 1, 1, 12, 0, 0, 0)),
              (182LL * 86400 - 3600) * 1000);
}

TEST(FormatDateTime, BlankPaddedMonthAndDay) {
    EXPECT_EQ(FormatDateTimeMs(Local(2024, 3, 5, 9, 4, 7, 89)), " 2024/ 3/ 5 09:04:07.089");
    EXPECT_EQ(FormatDateTime(Local(2024, 3, 5, 9, 4, 7, 89)), " 2024/ 3/ 5 09:04:07");
    EXPECT_EQ(FormatDateTimeMs(Local(2023, 12, 31, 23, 59, 59, 0)), " 2023/12/31 23:59:59.000");
    EXPECT_EQ(FormatDateTime(Local(2024, 1, 1, 0, 0, 0, 0)), " 2024/ 1/ 1 00:00:00");
    EXPECT_EQ(FormatDateTimeMs(Local(2024, 1, 1, 0, 0, 0, 1000)), " 2024/ 1/ 1 00:00:00.1000");
}

TEST(NtpTimestamp, MillisecondsToUpperHalfOfFraction) {
    struct Case { uint16_t ms; uint32_t fraction; } cases[] = {
        {0, 0x00000000u}, {1, 0x00410000u}, {500, 0x80000000u}, {999, 0xFFBE0000u}, {250, 0x40000000u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(1704067200, c.ms)).fraction, c.fraction) << c.ms;
    }
}

TEST(NtpTimestamp, SecondsOfBothEras) {
    EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(0)).seconds, 2208988800u);  // 0x83AA7E80
    EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(1704067200)).seconds, 3913056000u);
    EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(2085978495)).seconds, 0xFFFFFFFFu);
    EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(2085978496)).seconds, 0u);  // 2036-02-07 06:28:16 UTC
    EXPECT_EQ(ToNtpTimestamp(LocalOfUnix(2085978497)).seconds, 1u);
}

TEST(NtpTimestamp, DecodesSecondsOntoNineteenSeventyToTwentyOneHundredSix) {
    struct Case { uint32_t ntp; int64_t unix; } cases[] = {
        {2208988800u, 0},               // the Unix epoch
        {3913056000u, 1704067200},      // 2024-01-01 00:00:00 UTC
        {0xFFFFFFFFu, 2085978495},      // last second of the first era
        {0u, 2085978496},               // 2036-02-07 06:28:16 UTC, not 1900
        {2208988799u, 4294967295LL},    // 2106-02-07 06:28:15 UTC
    };
    for (const auto& c : cases) {
        SystemTime t{};
        int64_t s = -1;
        ASSERT_TRUE(FromNtpTimestamp(c.ntp, 0, t, s)) << c.ntp;
        EXPECT_EQ(s, c.unix);
        ExpectFields(t, LocalOfUnix(c.unix));
    }
}

TEST(NtpTimestamp, FractionRoundsToNearestMillisecondWithoutCarry) {
    struct Case { uint32_t fraction; uint16_t ms; } cases[] = {
        {0x00000000u, 0}, {0x00410000u, 1}, {0x8000FFFFu, 500}, {0xFFBE0000u, 999},
        {0xFFDF0000u, 999}, {0xFFE00000u, 1000}, {0xFFF00000u, 1000}, {0x0020FFFFu, 0}, {0x00210000u, 1},
    };
    for (const auto& c : cases) {
        SystemTime t{};
        int64_t s = 0;
        ASSERT_TRUE(FromNtpTimestamp(3913056000u, c.fraction, t, s));
        EXPECT_EQ(t.wMilliseconds, c.ms) << std::hex << c.fraction;
        EXPECT_EQ(s, 1704067200);  // the seconds never carry
    }
}

TEST(NtpTimestamp, LeavesDayOfWeekAsItWas) {
    SystemTime t{};
    t.wDayOfWeek = 6;
    int64_t s = 0;
    ASSERT_TRUE(FromNtpTimestamp(3913056000u, 0, t, s));
    EXPECT_EQ(t.wDayOfWeek, 6);
}

TEST(NtpTimestamp, EncodeDecodeRoundTripKeepsTheMillisecond) {
    for (uint16_t ms = 0; ms < 1000; ++ms) {
        const SystemTime t = LocalOfUnix(1718000000, ms);
        const NtpTimestamp ts = ToNtpTimestamp(t);
        SystemTime back{};
        int64_t s = 0;
        ASSERT_TRUE(FromNtpTimestamp(ts.seconds, ts.fraction, back, s));
        ASSERT_EQ(back.wMilliseconds, ms);
        EXPECT_EQ(s, 1718000000);
    }
}

TEST(AddMilliseconds, StaysWithinTheSecond) {
    const SystemTime t = Local(2024, 6, 1, 12, 0, 0, 500);
    SystemTime out{};
    ASSERT_TRUE(AddMilliseconds(t, UnixOf(t), 499, out));
    ExpectFields(out, Local(2024, 6, 1, 12, 0, 0, 999));
    ASSERT_TRUE(AddMilliseconds(t, UnixOf(t), -500, out));
    ExpectFields(out, Local(2024, 6, 1, 12, 0, 0, 0));
}

TEST(AddMilliseconds, CarriesAndBorrowsThroughCalendarEnds) {
    struct Case { SystemTime from; int64_t h; SystemTime want; } cases[] = {
        {Local(2024, 6, 1, 12, 0, 0, 998), 5, Local(2024, 6, 1, 12, 0, 1, 3)},
        {Local(2024, 6, 1, 23, 59, 59, 998), 5, Local(2024, 6, 2, 0, 0, 0, 3)},        // midnight
        {Local(2024, 4, 30, 23, 59, 59, 998), 5, Local(2024, 5, 1, 0, 0, 0, 3)},       // month end
        {Local(2024, 2, 29, 23, 59, 59, 998), 5, Local(2024, 3, 1, 0, 0, 0, 3)},       // leap day
        {Local(2023, 12, 31, 23, 59, 59, 998), 5, Local(2024, 1, 1, 0, 0, 0, 3)},      // year end
        {Local(2024, 6, 1, 12, 0, 0, 1), -2, Local(2024, 6, 1, 11, 59, 59, 999)},
        {Local(2024, 1, 1, 0, 0, 0, 1), -2, Local(2023, 12, 31, 23, 59, 59, 999)},     // year end back
        {Local(2024, 3, 1, 0, 0, 0, 0), -1, Local(2024, 2, 29, 23, 59, 59, 999)},
        {Local(2024, 6, 1, 12, 0, 0, 1), -2001, Local(2024, 6, 1, 11, 59, 58, 0)},     // exact borrow
        {Local(2024, 6, 1, 12, 0, 0, 1), -2002, Local(2024, 6, 1, 11, 59, 57, 999)},
        {Local(2024, 6, 1, 12, 0, 0, 1000), 0, Local(2024, 6, 1, 12, 0, 1, 0)},        // decoded 1000 ms
        {Local(2024, 6, 1, 12, 0, 0, 500), 3600500, Local(2024, 6, 1, 13, 0, 1, 0)},
    };
    for (const auto& c : cases) {
        SystemTime out{};
        ASSERT_TRUE(AddMilliseconds(c.from, UnixOf(c.from), c.h, out)) << FormatDateTimeMs(c.from);
        ExpectFields(out, c.want);
    }
}

TEST(AddMilliseconds, CrossesTheEraBoundary) {
    // The last millisecond of NTP era 0 plus 2 ms lands in era 1, and back.
    SystemTime t{};
    int64_t s = 0;
    ASSERT_TRUE(FromNtpTimestamp(0xFFFFFFFFu, 0xFFBE0000u, t, s));
    SystemTime out{};
    ASSERT_TRUE(AddMilliseconds(t, s, 2, out));
    ExpectFields(out, LocalOfUnix(2085978496, 1));
    EXPECT_EQ(ToNtpTimestamp(out).seconds, 0u);
}

TEST(AddMilliseconds, WalksOverTheDaylightSavingJump) {
    if (!InZone("Europe/Berlin")) GTEST_SKIP() << "needs a zone with daylight saving";
    const SystemTime t = Local(2024, 3, 31, 1, 59, 59, 999);
    SystemTime out{};
    ASSERT_TRUE(AddMilliseconds(t, UnixOf(t), 1, out));
    ExpectFields(out, Local(2024, 3, 31, 3, 0, 0, 0));
}

struct Exchange {
    SystemTime t1, t2, t3, t4;
    int64_t t3Seconds;
};

// T1 at 12:00:00.000 local, T4 after `measured` ms, T2 = T3 - hold; T3 as given.
Exchange MakeExchange(const SystemTime& t3, int64_t measured, int64_t hold) {
    Exchange e;
    e.t3 = t3;
    e.t3Seconds = UnixOf(t3);
    e.t1 = Local(2024, 6, 1, 12, 0, 0, 0);
    EXPECT_TRUE(AddMilliseconds(e.t1, UnixOf(e.t1), measured, e.t4));
    EXPECT_TRUE(AddMilliseconds(t3, e.t3Seconds, -hold, e.t2));
    return e;
}

TEST(EstimateCorrectTime, HalfTheRoundTripAfterTheServersTransmitTime) {
    struct Case { SystemTime t3; int64_t measured, hold; int32_t d; SystemTime want; } cases[] = {
        {Local(2024, 6, 1, 12, 0, 0, 998), 10, 0, 10, Local(2024, 6, 1, 12, 0, 1, 3)},
        {Local(2023, 12, 31, 23, 59, 59, 998), 10, 0, 10, Local(2024, 1, 1, 0, 0, 0, 3)},
        {Local(2024, 6, 1, 12, 0, 0, 1), 0, 5, -5, Local(2024, 6, 1, 11, 59, 59, 999)},
        {Local(2024, 6, 1, 12, 0, 0, 100), 5, 0, 5, Local(2024, 6, 1, 12, 0, 0, 103)},
        {Local(2024, 6, 1, 12, 0, 0, 100), 4, 0, 4, Local(2024, 6, 1, 12, 0, 0, 102)},
        {Local(2024, 6, 1, 12, 0, 0, 100), 0, 1, -1, Local(2024, 6, 1, 12, 0, 0, 100)},
        {Local(2024, 6, 1, 12, 0, 0, 100), 0, 4, -4, Local(2024, 6, 1, 12, 0, 0, 99)},
        {Local(2024, 6, 1, 12, 0, 0, 100), 0, 3, -3, Local(2024, 6, 1, 12, 0, 0, 99)},
    };
    for (const auto& c : cases) {
        const Exchange e = MakeExchange(c.t3, c.measured, c.hold);
        int32_t d = 0;
        SystemTime correct{};
        ASSERT_TRUE(EstimateCorrectTime(e.t1, e.t2, e.t3, e.t4, e.t3Seconds, d, correct));
        EXPECT_EQ(d, c.d) << FormatDateTimeMs(c.t3);
        ExpectFields(correct, c.want);
    }
}

TEST(EstimateCorrectTime, TransmitFractionOfAlmostOneSecondStillGivesAValidMillisecond) {
    SystemTime t3{};
    int64_t s = 0;
    ASSERT_TRUE(FromNtpTimestamp(3913056000u, 0xFFF00000u, t3, s));
    ASSERT_EQ(t3.wMilliseconds, 1000);
    const SystemTime t1 = LocalOfUnix(1704067201, 0);
    int32_t d = -1;
    SystemTime correct{};
    ASSERT_TRUE(EstimateCorrectTime(t1, t3, t3, t1, s, d, correct));
    EXPECT_EQ(d, 0);
    ExpectFields(correct, LocalOfUnix(1704067201, 0));
    EXPECT_LE(correct.wMilliseconds, 999);
}

// Server times one second apart on the NTP circle but on either side of the 1970..2106 range:
// their local difference is 136 years, a round trip that no 32-bit count holds.
TEST(EstimateCorrectTime, RoundTripBeyond32BitsGivesNoCorrectTime) {
    SystemTime t2{}, t3{};
    int64_t s2 = 0, s3 = 0;
    ASSERT_TRUE(FromNtpTimestamp(kNtpUnixDelta - 1, 0, t2, s2));  // 2106
    ASSERT_TRUE(FromNtpTimestamp(kNtpUnixDelta, 0, t3, s3));      // 1970
    ASSERT_EQ(s2 - s3, 4294967295);
    const SystemTime t1 = LocalOfUnix(1704067200, 0);
    int32_t d = 0;
    SystemTime correct{};
    correct.wYear = 1;
    EXPECT_FALSE(EstimateCorrectTime(t1, t2, t3, t1, s3, d, correct));
    EXPECT_EQ(d, INT32_MAX);
    EXPECT_EQ(correct.wYear, 1);
}

}  // namespace
}  // namespace pelto
