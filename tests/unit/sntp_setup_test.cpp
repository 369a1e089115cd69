// The network settings dialog's values: the cycle box's texts and the copy in and back, which
// sends the scheduler back to its restart only when automatic operation or time correction
// changed.
#include <gtest/gtest.h>

#include "dialogs/sntp_setup.h"
#include "sync_fakes.h"

namespace pelto {
namespace {

TEST(SntpSetup, CycleBoxHoldsHalfAnHourThenOneToTwentyFourHours) {
    const auto& texts = CycleTexts();
    ASSERT_EQ(texts.size(), 25u);
    EXPECT_EQ(texts[0], "　３０分");
    EXPECT_EQ(texts[1], "　１時間");
    EXPECT_EQ(texts[9], "　９時間");
    EXPECT_EQ(texts[10], "１０時間");
    EXPECT_EQ(texts[24], "２４時間");
    // Every entry is four double-byte characters, so the column lines up.
    for (const auto& t : texts) EXPECT_EQ(t.size(), 8u) << t;
}

TEST(SntpSetup, CopyBackRestartsTheSchedulerOnlyWhenAutomaticOperationOrCorrectionChanged) {
    const struct {
        const char* what;
        void (*change)(SntpSetupFields&);
        bool restart;
    } cases[] = {
        {"nothing", [](SntpSetupFields&) {}, false},
        {"cycle only", [](SntpSetupFields& f) { f.m_cycle = 7; }, false},
        {"servers only",
         [](SntpSetupFields& f) {
             f.m_ntpServer1 = "x";
             f.m_ntpServer2 = "y";
         },
         false},
        {"automatic operation off", [](SntpSetupFields& f) { f.m_fullAuto = 0; }, true},
        {"time correction off", [](SntpSetupFields& f) { f.m_exec = 0; }, true},
        {"both and the cycle",
         [](SntpSetupFields& f) {
             f.m_fullAuto = 0;
             f.m_exec = 0;
             f.m_cycle = -1;
         },
         true},
    };
    for (const auto& c : cases) {
        test::SyncRig rig;
        ClockState& clock = rig.state;
        clock.m_fullAuto = 1;
        clock.m_exec = 1;
        clock.m_cycle = 2;
        clock.m_rasCheck = 1;
        clock.m_useHttp = 1;
        clock.m_ntpServer1 = "ntp.example.org";
        clock.m_httpUrl1 = "time.example.com/cgi-bin/ntp";
        clock.m_httpUrl2 = "h2";
        clock.m_syncState = 5;
        clock.m_syncSubState = 2;

        SntpSetupFields dlg;
        CopySetupIn(clock, dlg);
        EXPECT_EQ(dlg.m_cycle, 2);
        EXPECT_EQ(dlg.m_ntpServer1, "ntp.example.org");
        EXPECT_EQ(dlg.m_httpUrl1, "time.example.com/cgi-bin/ntp");
        EXPECT_EQ(dlg.m_rasCheck, 1);
        c.change(dlg);

        EXPECT_EQ(CopySetupBack(dlg, clock), c.restart) << c.what;
        EXPECT_EQ(clock.m_syncState, c.restart ? 0 : 5) << c.what;
        EXPECT_EQ(clock.m_syncSubState, 2) << c.what;  // the restart itself clears the rest
        EXPECT_EQ(clock.m_fullAuto, dlg.m_fullAuto) << c.what;
        EXPECT_EQ(clock.m_exec, dlg.m_exec) << c.what;
        EXPECT_EQ(clock.m_cycle, dlg.m_cycle) << c.what;
        EXPECT_EQ(clock.m_ntpServer1, dlg.m_ntpServer1) << c.what;
        EXPECT_EQ(clock.m_ntpServer2, dlg.m_ntpServer2) << c.what;
        // The values without a control come back as they went in.
        EXPECT_EQ(clock.m_rasCheck, 1);
        EXPECT_EQ(clock.m_useHttp, 1);
        EXPECT_EQ(clock.m_httpUrl1, "time.example.com/cgi-bin/ntp");
        EXPECT_EQ(clock.m_httpUrl2, "h2");
    }
}

}  // namespace
}  // namespace pelto
