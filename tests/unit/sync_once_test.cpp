// One synchronisation attempt on fakes: when the clock is set, which sources are asked, what is
// logged, the online flag, the dial-up check, the privilege and priority bracket, and the sound
// handling of a refused clock change, a time before the build date and a daylight-saving change.
#include <gtest/gtest.h>

#include <ctime>

#include "sync/set_clock.h"
#include "sync_fakes.h"

namespace pelto {
namespace {

using test::Reply;
using test::SyncRig;

TEST(SyncOnce, SetsTheClockOnlyWhenTheMeasurementBeatsTheLimit) {
    struct Case {
        int32_t limit;
        int32_t measured;
        bool apply;
        bool sets;
    };
    const Case cases[] = {
        {0, 15, true, true},                           // no limit: any non-zero measurement
        {25, 24, true, true},                          // below the limit
        {25, 25, true, false},                         // equal is not below
        {25, 30, true, false}, {0, 0, true, false},    // a measurement of 0 never sets
        {25, 0, true, false},  {25, -3, true, true},   // a negative measurement below the limit does
        {0, -3, true, true},   {0, 15, false, false},  // measuring only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.limit << " " << c.measured << " " << c.apply);
        SyncRig rig;
        rig.sources.fallback = Reply{true, c.measured, 700};
        int32_t r = c.limit;
        ASSERT_TRUE(rig.state.SyncOnce(r, c.apply));
        EXPECT_EQ(r, c.measured);
        EXPECT_TRUE(rig.state.m_resultPending);
        EXPECT_EQ(rig.state.m_online, 1);
        EXPECT_EQ(rig.state.m_clockSet, c.sets);
        EXPECT_EQ(rig.state.m_resultText, c.sets ? "ntp1.test  update" : "ntp1.test ");
        ASSERT_EQ(rig.clock.Sets().size(), c.sets ? 1u : 0u);
        if (c.sets) {
            EXPECT_EQ(rig.clock.Sets()[0], rig.state.m_correctTime);
            EXPECT_EQ(rig.clock.StepMs(), 700);  // the wall clock now shows the source's time
            EXPECT_EQ(rig.state.m_latestRequestTime, rig.state.m_correctTime);
        }
        EXPECT_TRUE(rig.Notes().empty());
    }
}

TEST(SyncOnce, LeavesTheMeasurementsForTheScheduler) {
    SyncRig rig;
    rig.clock.SetStepMs(-5000);  // the PC is five seconds behind
    const SystemTime before = rig.clock.Now();
    rig.sources.fallback = Reply{true, 30, 0};
    int32_t r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, false));
    EXPECT_EQ(rig.state.m_lastRoundTrip, 30);
    EXPECT_EQ(rig.state.m_offset, 5000);
    EXPECT_EQ(rig.state.m_elapsed, 0) << "no reference yet";
    EXPECT_EQ(rig.state.m_referenceValid, 1);
    EXPECT_EQ(rig.state.m_latestRequestTime, before) << "not set: the attempt's start";

    rig.state.m_referenceTime = before;
    rig.clock.AdvanceMs(60000);
    r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, false));
    EXPECT_EQ(rig.state.m_elapsed, test::UnixMsOf(rig.state.m_correctTime) - test::UnixMsOf(before));
}

TEST(SyncOnce, TriesTheSecondServerOnlyWhenTheFirstFails) {
    {
        SyncRig rig;
        rig.state.m_ntpServer2 = "ntp2.test";
        rig.sources.script = {Reply{false, 0, 0, "受信エラー"}, Reply{true, 12}};
        int32_t r = 0;
        EXPECT_TRUE(rig.state.SyncOnce(r, true));
        EXPECT_EQ(rig.sources.queries, (std::vector<std::string>{"sntp ntp1.test", "sntp ntp2.test"}));
        EXPECT_EQ(rig.Notes(), std::vector<std::string>{"ntp1.test 受信エラー"});
        EXPECT_EQ(rig.state.m_resultText, "ntp2.test  update");
        EXPECT_EQ(rig.state.m_online, 1);
    }
    {
        SyncRig rig;
        rig.state.m_ntpServer2 = "ntp2.test";
        rig.state.m_online = 1;
        rig.sources.fallback = Reply{false, 0, 0, "サーバーに接続できませんでした。"};
        int32_t r = 0;
        EXPECT_FALSE(rig.state.SyncOnce(r, true));
        EXPECT_EQ(rig.Notes(), (std::vector<std::string>{"ntp1.test サーバーに接続できませんでした。",
                                                         "ntp2.test サーバーに接続できませんでした。"}));
        EXPECT_EQ(rig.state.m_online, 0);
        EXPECT_FALSE(rig.state.m_resultPending);
    }
    {
        SyncRig rig;  // no second server
        rig.sources.fallback = Reply{false};
        int32_t r = 0;
        EXPECT_FALSE(rig.state.SyncOnce(r, true));
        EXPECT_EQ(rig.sources.queries.size(), 1u);
        EXPECT_EQ(rig.Notes().size(), 1u);
    }
}

TEST(SyncOnce, HttpModeUsesOnlyTheFirstPage) {
    SyncRig rig;
    rig.state.m_useHttp = 1;
    rig.state.m_ntpServer2 = "ntp2.test";
    rig.state.m_httpUrl2 = "second.test/now";
    int32_t r = 0;
    EXPECT_TRUE(rig.state.SyncOnce(r, true));
    EXPECT_EQ(rig.state.m_resultText, "time.test/now  update");

    rig.sources.fallback = Reply{false, 0, 0, ""};  // a page failure may come without a text
    r = 0;
    EXPECT_FALSE(rig.state.SyncOnce(r, true));
    EXPECT_EQ(rig.sources.queries, (std::vector<std::string>{"http time.test/now", "http time.test/now"}));
    EXPECT_EQ(rig.Notes(), std::vector<std::string>{"time.test/now "});
}

TEST(SyncOnce, DialUpCheckDecidesWhetherThePcIsOnline) {
    struct Case {
        int rasCheck;
        uint32_t entries, entriesResult, connections, connectionsResult;
        bool online;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, true},                            // check off: the phonebook is not even read
        {1, 0, 0, 0, 0, false},                           // no phonebook entry
        {1, 0, 603, 0, 0, false}, {1, 1, 0, 1, 0, true},  // one entry, one connection
        {1, 3, 603, 1, 0, true},                          // more entries than the buffer holds
        {1, 2, 632, 1, 0, false},                         // any other enumeration error
        {1, 2, 0, 0, 0, false},                           // entries but no connection up
        {1, 1, 0, 2, 603, false},                         // more connections than entries
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rasCheck << " " << c.entries << " " << c.entriesResult << " "
                                        << c.connections << " " << c.connectionsResult);
        SyncRig rig;
        rig.state.m_rasCheck = c.rasCheck;
        rig.state.m_online = 1;
        rig.dialUp.entries = c.entries;
        rig.dialUp.entriesResult = c.entriesResult;
        rig.dialUp.connections = c.connections;
        rig.dialUp.connectionsResult = c.connectionsResult;
        EXPECT_EQ(rig.state.IsOnline(), c.online);
        if (!c.rasCheck) {
            EXPECT_EQ(rig.dialUp.entryCalls, 0);
        }
        if (!rig.dialUp.capacities.empty()) {
            EXPECT_EQ(rig.dialUp.capacities[0], c.entries);
        }

        int32_t r = 0;
        EXPECT_EQ(rig.state.SyncOnce(r, true), c.online);
        if (!c.online) {
            EXPECT_EQ(rig.state.m_online, 0);
            EXPECT_TRUE(rig.sources.queries.empty());
            EXPECT_TRUE(rig.privileges.Events().empty());
            EXPECT_TRUE(rig.state.m_log.empty()) << "offline is not logged";
        }
    }
}

TEST(SyncOnce, PrivilegeAndPriorityBracketTheWholeAttempt) {
    SyncRig rig;
    rig.sources.during = [&] {
        EXPECT_TRUE(rig.privileges.Enabled());
        EXPECT_EQ(rig.priority.events, std::vector<std::string>{"raise"});
    };
    int32_t r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, true));
    EXPECT_EQ(rig.privileges.Events(),
              (std::vector<std::string>{"enable SeSystemtimePrivilege", "disable all"}));
    EXPECT_EQ(rig.priority.events, (std::vector<std::string>{"raise", "restore"}));
}

TEST(SyncOnce, WithoutThePrivilegeNothingIsAskedNorLoggedAndTheColourStays) {
    for (int online : {0, 1}) {
        SyncRig rig;
        rig.privileges.enableOk = false;
        rig.state.m_online = online;
        int32_t r = 0;
        EXPECT_FALSE(rig.state.SyncOnce(r, true));
        EXPECT_EQ(rig.state.m_online, online);
        EXPECT_TRUE(rig.sources.queries.empty());
        EXPECT_TRUE(rig.state.m_log.empty());
        EXPECT_EQ(rig.privileges.Events(), std::vector<std::string>{"enable SeSystemtimePrivilege"});
        EXPECT_EQ(rig.priority.events, (std::vector<std::string>{"raise", "restore"}));
    }
}

TEST(SyncOnce, OutsideTheNtFamilyThereAreNoPrivilegesToChange) {
    SyncRig rig;
    rig.privileges.nt = false;
    int32_t r = 0;
    EXPECT_TRUE(rig.state.SyncOnce(r, true));
    EXPECT_TRUE(rig.privileges.Events().empty());
    EXPECT_TRUE(rig.state.m_clockSet);
}

TEST(SyncOnce, ARefusedClockChangeIsAFailureWithTheSystemsCode) {
    SyncRig rig;
    rig.clock.Refuse(1314);
    rig.state.m_online = 1;
    int32_t r = 0;
    EXPECT_FALSE(rig.state.SyncOnce(r, true));
    EXPECT_FALSE(rig.state.m_clockSet);
    EXPECT_FALSE(rig.state.m_resultPending);
    EXPECT_EQ(rig.state.m_online, 0);
    EXPECT_EQ(rig.Notes(),
              std::vector<std::string>{"ntp1.test 時刻を設定できませんでした。（エラーコード 1314）"});
    EXPECT_EQ(r, 0) << "the limit is left as it came";

    // Only measuring, the same source is a success: nothing was to be set.
    r = 0;
    EXPECT_TRUE(rig.state.SyncOnce(r, false));
    EXPECT_EQ(rig.state.m_online, 1);
}

TEST(SyncOnce, ATimeBeforeTheBuildDateIsNeverTaken) {
    SyncRig rig;
    rig.state.m_ntpServer2 = "ntp2.test";
    rig.state.m_earliestSettable = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - 86400000);
    // The first server answers years back, the second is sound.
    rig.sources.script = {Reply{true, 20, -5LL * 365 * 86400000}, Reply{true, 20, 0}};
    int32_t r = 0;
    EXPECT_TRUE(rig.state.SyncOnce(r, true));
    ASSERT_EQ(rig.clock.Sets().size(), 1u);
    EXPECT_EQ(rig.state.m_resultText, "ntp2.test  update");
    const auto notes = rig.Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].rfind("ntp1.test 受信した時刻 20", 0), 0u) << notes[0];
    EXPECT_NE(notes[0].find(" はこのプログラムの作成日より前です。"), std::string::npos);

    // Alone, such a source fails the attempt, even when nothing would have been set.
    rig.state.m_ntpServer2.clear();
    rig.sources.fallback = Reply{true, 20, -5LL * 365 * 86400000};
    r = 0;
    EXPECT_FALSE(rig.state.SyncOnce(r, false));
    EXPECT_EQ(rig.state.m_online, 0);
    EXPECT_EQ(rig.clock.Sets().size(), 1u);
}

TEST(SetLocalClock, CallsTheSystemAgainAcrossADaylightSavingChange) {
    // 2024-03-31 01:59:59.900 local, set to 03:00:05.000 local (after the spring change in Berlin).
    const SystemTime winter{2024, 3, 0, 31, 1, 59, 59, 900};
    const SystemTime summer{2024, 3, 0, 31, 3, 0, 5, 0};
    int64_t a = 0, b = 0;
    ASSERT_TRUE(UtcOffsetAt(winter, a));
    ASSERT_TRUE(UtcOffsetAt(summer, b));
    if (test::InZone("Europe/Berlin")) {
        EXPECT_EQ(a, 3600);
        EXPECT_EQ(b, 7200);
    }
    {
        test::SimWallClock clock(test::UnixMsOf(winter));
        uint32_t error = 0;
        EXPECT_EQ(SetLocalClock(clock, summer, test::Date(2020, 1, 1), error), SetClockResult::kSet);
        EXPECT_EQ(clock.Sets().size(), a != b ? 2u : 1u);
        for (const SystemTime& t : clock.Sets()) EXPECT_EQ(t, summer);
    }
    {
        // Within one season one call is enough.
        test::SimWallClock clock(test::UnixMsOf(summer));
        SystemTime later = summer;
        later.wMinute = 30;
        uint32_t error = 0;
        EXPECT_EQ(SetLocalClock(clock, later, test::Date(2020, 1, 1), error), SetClockResult::kSet);
        EXPECT_EQ(clock.Sets().size(), 1u);
    }
    {
        test::SimWallClock clock(test::UnixMsOf(summer));
        clock.Refuse(5);
        uint32_t error = 0;
        EXPECT_EQ(SetLocalClock(clock, winter, test::Date(2020, 1, 1), error), SetClockResult::kFailed);
        EXPECT_EQ(error, 5u);
        EXPECT_EQ(clock.Sets().size(), 1u) << "a refused first call is not repeated";
        EXPECT_EQ(SetLocalClock(clock, winter, test::Date(2025, 1, 1), error), SetClockResult::kBeforeFloor);
        EXPECT_EQ(clock.Sets().size(), 1u);
    }
}

TEST(SetLocalClock, TheFloorIsTheDayBeforeTheBuild) {
    const SystemTime floor = BuildDateFloor();
    EXPECT_GE(floor.wYear, 2024);
    EXPECT_TRUE(floor.wMonth >= 1 && floor.wMonth <= 12);
    EXPECT_TRUE(floor.wDay >= 1 && floor.wDay <= 31);
    EXPECT_EQ(floor.wHour + floor.wMinute + floor.wSecond + floor.wMilliseconds, 0);
    // Built before now, so the floor lies more than a day back.
    EXPECT_TRUE(
        IsEarlier(floor, test::LocalOfUnixMs((static_cast<int64_t>(std::time(nullptr)) - 86400) * 1000)));
    test::SyncRig rig;
    test::SimWallClock clock(0);
    EXPECT_EQ(ClockState(clock, SyncPorts{rig.sources, rig.privileges, rig.priority, rig.dialUp, rig.threads,
                                          rig.monotonic, rig.sleeper})
                  .m_earliestSettable,
              floor);
}

}  // namespace
}  // namespace pelto
