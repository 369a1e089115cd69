// The journal: record lines byte for byte, the bound of 1000 records, and what the clock object
// copies into a record.
#include <gtest/gtest.h>

#include "sync/sync_log.h"
#include "sync_fakes.h"

namespace pelto {
namespace {

const SystemTime kMarch5{2024, 3, 2, 5, 9, 4, 7, 321};

TEST(SyncLogLine, ExactBytes) {
    struct Case {
        CSyncLog record;
        std::string line;
    };
    const Case cases[] = {
        {CSyncLog(kMarch5, 0, 0, "起動"), " 2024/ 3/ 5 09:04:07 0-0 起動"},
        {CSyncLog(kMarch5, 2, 1, 12, -5, -3, 3600000, 123.456, "ntp.test  update"),
         " 2024/ 3/ 5 09:04:07 2-1   12          3600000       -5       -3    123.456 ntp.test  update"},
        // Wide numbers push the columns out rather than being cut.
        {CSyncLog(SystemTime{2025, 12, 0, 31, 23, 59, 59, 0}, 5, 12, 12345, 123456789012, -98765432,
                  1234567890123456789, 1e12, ""),
         " 2025/12/31 23:59:59 5-12 12345 1234567890123456789 123456789012 -98765432 1000000000000.000 "},
        {CSyncLog(kMarch5, 3, 0, -1, 0, 0, 0, 0.0, "x"),
         " 2024/ 3/ 5 09:04:07 3-0   -1                0        0        0      0.000 x"},
        {CSyncLog(kMarch5, 0, 6, "リトライ回数オーバー"), " 2024/ 3/ 5 09:04:07 0-6 リトライ回数オーバー"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.record.FormatLine(), c.line);
}

TEST(SyncJournal, KeepsTheNewestThousand) {
    SyncJournal journal;
    for (int i = 0; i < 1001; ++i) journal.Add(std::make_unique<CSyncLog>(kMarch5, 0, 0, std::to_string(i)));
    ASSERT_EQ(journal.size(), 1000u);
    EXPECT_EQ((*journal.begin())->m_text, "1");
    EXPECT_EQ((*--journal.end())->m_text, "1000");
    journal.Add(nullptr);
    EXPECT_EQ(journal.size(), 1000u);
    journal.Clear();
    EXPECT_TRUE(journal.empty());
}

TEST(SyncJournal, RecordsCopyTheSchedulersNumbersAtTheMoment) {
    test::SyncRig rig;
    rig.state.m_syncState = 4;
    rig.state.m_syncSubState = 2;
    rig.state.m_lastRoundTrip = 17;
    rig.state.m_totalOffset = -12;
    rig.state.m_offset = 3;
    rig.state.m_elapsed = 7200000;
    rig.state.m_driftRatio = 2400.5;
    rig.state.LogSyncResult("ntp1.test ");
    rig.state.LogSyncNote("note");
    rig.state.m_totalOffset = 99;  // later changes do not reach the records
    ASSERT_EQ(rig.state.m_log.size(), 2u);
    const CSyncLog& m = **rig.state.m_log.begin();
    EXPECT_FALSE(m.m_isNote);
    EXPECT_EQ(m.m_time, rig.clock.Now());
    EXPECT_EQ(m.FormatLine().substr(20),
              " 4-2   17          7200000      -12        3   2400.500 ntp1.test ");
    const CSyncLog& n = **(++rig.state.m_log.begin());
    EXPECT_TRUE(n.m_isNote);
    EXPECT_EQ(n.m_totalOffset, 0);
    EXPECT_EQ(n.FormatLine().substr(20), " 4-2 note");
    rig.state.ClearLog();
    EXPECT_TRUE(rig.state.m_log.empty());
}

}  // namespace
}  // namespace pelto
