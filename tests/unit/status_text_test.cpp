// The status dialog's texts: elapsed time, online state, the two times once a reference exists,
// and the journal as the box shows it.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

#include "dialogs/status_text.h"
#include "sync_fakes.h"

namespace pelto {
namespace {

TEST(StatusText, ElapsedTime) {
    const struct {
        int64_t ms;
        const char* text;
    } cases[] = {
        {0, "0   0:00:00.000  ( 0 )"},
        {3723004, "0   1:02:03.004  ( 3723004 )"},
        {90061001, "1   1:01:01.001  ( 90061001 )"},
        {2147483648LL, "24  20:31:23.648  ( 2147483648 )"},  // beyond 32 bits, printed whole
        {86400000LL * 40000, "40000   0:00:00.000  ( 3456000000000 )"},
        {-1500, "0   0:00:-1.-500  ( -1500 )"},  // truncating division, as the fields are defined
        {std::numeric_limits<int64_t>::max(), "106751991167   7:12:55.807  ( 9223372036854775807 )"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatElapsedText(c.ms), c.text) << c.ms;
}

class StatusTextTest : public ::testing::Test {
protected:
    test::SyncRig rig;
    ClockState& clock = rig.state;
};

TEST_F(StatusTextTest, TimesAppearOnlyOnceAReferenceExistsAndThenKeepTheirLastValue) {
    StatusTexts texts;
    clock.m_referenceTime = SystemTime{2024, 3, 2, 5, 9, 4, 7, 8};
    clock.m_latestRequestTime = SystemTime{2024, 3, 2, 5, 10, 0, 0, 0};
    RefreshStatusTexts(clock, texts);
    EXPECT_EQ(texts.m_statusText, "オフライン");
    EXPECT_EQ(texts.m_referenceTimeText, "");
    EXPECT_EQ(texts.m_latestRequestText, "");
    EXPECT_EQ(texts.m_elapsedText, "0   0:00:00.000  ( 0 )");

    clock.m_online = 1;
    clock.m_referenceValid = 1;
    clock.m_elapsed = 3723004;
    RefreshStatusTexts(clock, texts);
    EXPECT_EQ(texts.m_statusText, "オンライン");
    EXPECT_EQ(texts.m_referenceTimeText, " 2024/ 3/ 5 09:04:07.008");
    EXPECT_EQ(texts.m_latestRequestText, " 2024/ 3/ 5 10:00:00.000");
    EXPECT_EQ(texts.m_elapsedText, "0   1:02:03.004  ( 3723004 )");

    // A failed attempt after earlier successes, and a restart of the scheduler: offline, the
    // times stay as they were shown, the elapsed count follows the clock.
    clock.m_online = 0;
    clock.m_referenceValid = 0;
    clock.m_elapsed = 0;
    clock.m_referenceTime = SystemTime{2030, 1, 2, 1, 1, 1, 1, 1};
    RefreshStatusTexts(clock, texts);
    EXPECT_EQ(texts.m_statusText, "オフライン");
    EXPECT_EQ(texts.m_referenceTimeText, " 2024/ 3/ 5 09:04:07.008");
    EXPECT_EQ(texts.m_elapsedText, "0   0:00:00.000  ( 0 )");
}

TEST_F(StatusTextTest, JournalLinesOldestFirstSeparatedByCrLfWithoutATrailingBreak) {
    EXPECT_EQ(JournalText(clock.m_log), "");
    const SystemTime t{2024, 3, 2, 5, 9, 4, 7, 0};
    clock.AddLogRecord(std::make_unique<CSyncLog>(t, 0, 0, "起動"));
    EXPECT_EQ(JournalText(clock.m_log), " 2024/ 3/ 5 09:04:07 0-0 起動");
    clock.AddLogRecord(std::make_unique<CSyncLog>(t, 2, 1, 12, -5, -3, 3600000, 123.456, "ok"));
    clock.AddLogRecord(std::make_unique<CSyncLog>(t, 1, 0, "127.0.0.1 受信エラー"));
    EXPECT_EQ(JournalText(clock.m_log),
              " 2024/ 3/ 5 09:04:07 0-0 起動\r\n"
              " 2024/ 3/ 5 09:04:07 2-1   12          3600000       -5       -3    123.456 ok\r\n"
              " 2024/ 3/ 5 09:04:07 1-0 127.0.0.1 受信エラー");
    // Built afresh each time: asking twice gives the same text.
    EXPECT_EQ(JournalText(clock.m_log), JournalText(clock.m_log));
}

TEST_F(StatusTextTest, AFullJournalGivesAThousandLines) {
    const SystemTime t{2024, 3, 2, 5, 9, 4, 7, 0};
    for (int i = 0; i < 1001; ++i)
        clock.AddLogRecord(std::make_unique<CSyncLog>(t, 5, 0, 12, 0, 0, 0, 0.0, "n" + std::to_string(i)));
    const std::string text = JournalText(clock.m_log);
    size_t breaks = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++breaks;
    EXPECT_EQ(breaks, 999u);
    EXPECT_NE(text.find(" n1\r\n"), std::string::npos);
    EXPECT_EQ(text.find(" n0\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 6), " n1000");
}

}  // namespace
}  // namespace pelto
