// The scheduler stepped in simulated time: the timeline after start-up, countdowns, the growing
// tolerance for slow round trips, the drift ratio, the drift check's thresholds, sync now and
// the dial-up re-check. Hours of scheduling run in milliseconds.
#include <gtest/gtest.h>

#include <cstdio>

#include "sync_fakes.h"

namespace pelto {
namespace {

using test::Reply;
using test::SyncRig;

// Puts the rig into `state` as if it had got there: a limit of 40 ms, a reference ten minutes
// back, the PC's clock right.
void EnterState(SyncRig& rig, int state, int subState = 0) {
    rig.state.m_syncState = state;
    rig.state.m_syncSubState = subState;
    rig.state.m_roundTripLimit = 40;
    rig.state.m_referenceValid = 1;
    rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - 600000);
    rig.state.m_countdown = 1;  // the next step acts
}

TEST(Scheduler, TimelineAfterStartUp) {
    SyncRig rig;
    std::vector<int> attempts;
    int step = 0;
    rig.sources.during = [&] { attempts.push_back(step); };
    int stateTwoAt = 0;
    for (step = 1; step <= 260; ++step) {
        rig.Second();
        if (rig.state.m_syncState == 2 && stateTwoAt == 0) stateTwoAt = step;
    }
    // The restart on the first step, the first attempt ten steps later, then 60 and 60; state 2
    // sixty steps after the third attempt, and its first attempt sixty steps after that.
    EXPECT_EQ(attempts, (std::vector<int>{11, 71, 131, 251}));
    EXPECT_EQ(stateTwoAt, 191);
    EXPECT_EQ(rig.Results().size(), 4u);
    EXPECT_EQ(rig.Results()[0], "ntp1.test  update");
    EXPECT_EQ(rig.state.m_log.begin()->get()->m_state, 1);
}

TEST(Scheduler, SteadyCycleCountdowns) {
    struct Case {
        int cycle;
        int steps;
    };
    // 40 and -3 can only come from a hand-edited file: they are taken as the list's nearest end.
    const Case cases[] = {{0, 1800}, {1, 3600}, {2, 7200}, {24, 86400}, {40, 86400}, {-3, 1800}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cycle);
        SyncRig rig;
        EnterState(rig, 5);
        rig.state.m_cycle = c.cycle;
        rig.sources.fallback = Reply{true, 20, 30};
        rig.Second();
        ASSERT_EQ(rig.sources.queries.size(), 1u);
        EXPECT_EQ(rig.state.m_countdown, c.steps);
        for (int i = 0; i < c.steps; ++i) rig.Second();
        EXPECT_EQ(rig.sources.queries.size(), 2u) << "the next attempt comes when the count runs out";
    }
}

TEST(Scheduler, FailuresKeepTheStateAndRetryLater) {
    struct Case {
        int state, subState;
        int countdown, subAfter;
    };
    const Case cases[] = {{1, 0, 600, 0}, {1, 2, 600, 0}, {2, 3, 600, 3},
                          {3, 1, 60, 1},  {4, 0, 60, 0},  {5, 2, 60, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << "-" << c.subState);
        SyncRig rig;
        EnterState(rig, c.state, c.subState);
        rig.sources.fallback = Reply{false};
        rig.Second();
        EXPECT_EQ(rig.sources.queries.size(), 1u);
        EXPECT_EQ(rig.state.m_syncState, c.state);
        EXPECT_EQ(rig.state.m_syncSubState, c.subAfter);
        EXPECT_EQ(rig.state.m_countdown, c.countdown);
    }
}

TEST(Scheduler, SixSlowAttemptsWidenTheLimitAndTheSeventhRestarts) {
    SyncRig rig;
    EnterState(rig, 2);
    rig.sources.fallback = Reply{true, 500, 0};
    for (int i = 0; i < 7; ++i) {
        rig.Second();
        EXPECT_EQ(rig.state.m_countdown, 60) << i;  // a slow attempt is retried a minute later
        rig.state.m_countdown = 1;
    }
    EXPECT_TRUE(rig.clock.Sets().empty());
    const auto notes = rig.Notes();
    ASSERT_EQ(notes.size(), 7u);
    const int limits[] = {60, 80, 100, 120, 140, 160};  // 1.5 to 4 times the limit of 40
    for (int i = 0; i < 6; ++i) {
        char head[32];
        std::snprintf(head, sizeof head, " 500-%d ", limits[i]);
        EXPECT_EQ(notes[i], std::string(head) + "ntp1.test 通信時間オーバー");
    }
    EXPECT_EQ(notes[6], "リトライ回数オーバー");
    EXPECT_EQ(rig.state.m_syncState, 0);
    EXPECT_EQ((--rig.state.m_log.end())->get()->m_state, 0);

    rig.Second();  // the restart clears the measurements
    EXPECT_EQ(rig.state.m_syncState, 1);
    EXPECT_EQ(rig.state.m_roundTripLimit, 0);
    EXPECT_EQ(rig.state.m_countdown, 10);
}

TEST(Scheduler, ANoteStartsWithTheRoundTripAndTheLimit) {
    SyncRig rig;
    EnterState(rig, 3);
    rig.state.m_roundTripLimit = 20;  // limit 30 at sub-state 0
    rig.sources.fallback = Reply{true, 35, 0};
    rig.Second();
    ASSERT_EQ(rig.Notes().size(), 1u);
    EXPECT_EQ(rig.Notes()[0], "  35-30 ntp1.test 通信時間オーバー");
}

TEST(Scheduler, InitialSeriesRoundTripEqualToTheLimitChangesNothing) {
    SyncRig rig;
    EnterState(rig, 1, 1);
    rig.state.m_roundTripLimit = 30;
    const SystemTime reference = rig.state.m_referenceTime;
    rig.sources.fallback = Reply{true, 30, 250};
    rig.Second();
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_EQ(rig.state.m_roundTripLimit, 30);
    EXPECT_EQ(rig.state.m_referenceTime, reference);
    EXPECT_EQ(rig.state.m_syncSubState, 2);
    EXPECT_EQ(rig.Results(), std::vector<std::string>{"ntp1.test "});

    // A faster one sets the clock and becomes the reference; the limit moves to limit/2 + r.
    rig.state.m_countdown = 1;
    rig.sources.fallback = Reply{true, 20, 250};
    rig.Second();
    ASSERT_EQ(rig.clock.Sets().size(), 1u);
    EXPECT_EQ(rig.state.m_referenceTime, rig.state.m_correctTime);
    EXPECT_EQ(rig.state.m_elapsed, 0);
    EXPECT_EQ(rig.state.m_roundTripLimit, 35);
    EXPECT_EQ(rig.state.m_syncSubState, 3);
}

TEST(Scheduler, FirstAttemptSetsTheReferenceAndTheLimitOfAtLeastTen) {
    for (int r : {4, 25}) {
        SyncRig rig;
        rig.Second();  // restart
        rig.sources.fallback = Reply{true, r, 1000};
        for (int i = 0; i < 10; ++i) rig.Second();
        EXPECT_EQ(rig.state.m_roundTripLimit, r < 10 ? 10 : r);
        EXPECT_EQ(rig.state.m_referenceTime, rig.state.m_correctTime);
        EXPECT_EQ(rig.state.m_syncSubState, 1);
    }
}

TEST(Scheduler, DriftRatioFromTheAccumulatedOffset) {
    enum Rule { kReplace, kThreeQuarters, kHalf, kKeep };
    struct Case {
        int state;
        int64_t offset;  // this attempt's offset (the source ahead of the PC); the limit is 40
        Rule rule;
        int stateAfter;
    };
    const Case cases[] = {
        {2, 100, kReplace, 3},                         // state 2 takes the new ratio as it is
        {2, 30, kReplace, 3},       {2, 0, kKeep, 2},  // no drift found: state 2 again
        {3, 100, kReplace, 4},                         // above twice the limit
        {3, 60, kThreeQuarters, 4},                    // above the limit
        {4, 30, kHalf, 5},                             // above half the limit
        {4, 20, kKeep, 5},                             // small
        {5, -50, kReplace, 5},                         // negative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.offset);
        SyncRig rig;
        EnterState(rig, c.state);
        rig.state.m_driftRatio = 1000.0;
        rig.sources.fallback = Reply{true, 10, c.offset};
        rig.Second();
        EXPECT_EQ(rig.state.m_offset, c.offset);
        EXPECT_EQ(rig.state.m_totalOffset, c.offset);
        const double fresh =
            c.offset == 0 ? 0.0 : static_cast<double>(rig.state.m_elapsed) / std::abs(c.offset);
        EXPECT_GT(rig.state.m_elapsed, 600000);
        const double expected[] = {fresh, (3 * fresh + 1000.0) * 0.25, (fresh + 1000.0) * 0.5, 1000.0};
        EXPECT_DOUBLE_EQ(rig.state.m_driftRatio, expected[c.rule]);
        EXPECT_EQ(rig.state.m_driftSign, c.offset < 0 ? -1 : 1);
        EXPECT_EQ(rig.state.m_syncState, c.stateAfter);
        EXPECT_EQ(rig.state.m_syncSubState, 0);
        EXPECT_EQ(rig.state.m_countdown, c.state == 5 ? 7200 : 600);
        ASSERT_EQ(rig.Results().size(), 1u);
        const auto& record = *(--rig.state.m_log.end());
        EXPECT_EQ(record->m_state, c.state) << "the record carries the state of the attempt";
        EXPECT_EQ(record->m_driftRatio, rig.state.m_driftRatio);
        EXPECT_EQ(record->m_totalOffset, c.offset);
    }
}

TEST(Scheduler, LimitIsSmoothedAndKeptWithinTenTo999) {
    struct Case {
        int limit, r, after;
    };
    const Case cases[] = {{40, 20, 37}, {10, 1, 10}, {999, 900, 986}, {2000, 1, 999}};
    for (const Case& c : cases) {
        SyncRig rig;
        EnterState(rig, 3);
        rig.state.m_roundTripLimit = c.limit;
        rig.sources.fallback = Reply{true, c.r, 0};
        rig.Second();
        EXPECT_EQ(rig.state.m_roundTripLimit, c.after) << c.limit << " " << c.r;
    }
}

TEST(Scheduler, WithExecOffTheClockIsMeasuredButNeverSet) {
    SyncRig rig;
    rig.state.m_exec = 0;
    rig.sources.fallback = Reply{true, 20, 5000};
    for (int i = 0; i < 400; ++i) rig.Second();
    EXPECT_EQ(rig.sources.queries.size(), 4u);
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_EQ(rig.state.m_totalOffset, 0);
    EXPECT_EQ(rig.state.m_online, 1);
    for (const auto& text : rig.Results()) EXPECT_EQ(text, "ntp1.test ");
}

TEST(Scheduler, DriftCheckThresholds) {
    struct Case {
        double ratio;
        int owed;
        bool starts;
    };
    const Case cases[] =
        {
            {1500.0, 2, true},   {1500.0, 1, false}, {800.0, 9, false},   {800.0, 10, true},
            {100.0, 99, false},  {100.0, 100, true}, {10.0, 5000, false}, {9.5, 5000, false},
            {100.0, -100, true},  // a clock that gains is corrected backwards
        };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ratio << " " << c.owed);
        SyncRig rig;
        EnterState(rig, 3);
        rig.state.m_driftRatio = c.ratio;
        rig.state.m_driftSign = c.owed < 0 ? -1 : 1;
        // due = trunc((elapsed + 1) / ratio) = |owed| with nothing applied yet
        const int64_t elapsed = static_cast<int64_t>(std::abs(c.owed) * c.ratio);
        rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - elapsed);
        rig.state.DriftCheck();
        EXPECT_EQ(rig.threads.started, c.starts ? 1 : 0);
    }
}

TEST(Scheduler, DriftCheckNeedsStateThreeAutomaticOperationAndExec) {
    struct Case {
        int state, fullAuto, exec;
    };
    for (const Case& c : {Case{2, 1, 1}, Case{3, 0, 1}, Case{3, 1, 0}, Case{5, 1, 1}}) {
        SyncRig rig;
        EnterState(rig, c.state);
        rig.state.m_fullAuto = c.fullAuto;
        rig.state.m_exec = c.exec;
        rig.state.m_driftRatio = 100.0;
        rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - 3600000);
        rig.state.DriftCheck();
        EXPECT_EQ(rig.threads.started, c.state > 2 && c.fullAuto && c.exec ? 1 : 0) << c.state;
    }
}

TEST(Scheduler, RestartClearsTheDriftSoTheCheckStops) {
    SyncRig rig;
    EnterState(rig, 5);
    rig.state.m_driftRatio = 1500.0;
    rig.state.m_totalOffset = 42;
    rig.state.m_offset = 7;
    rig.state.m_elapsed = 99;
    rig.state.m_syncState = 0;  // what the network settings dialog does
    rig.Second();
    EXPECT_EQ(rig.state.m_syncState, 1);
    EXPECT_EQ(rig.state.m_syncSubState, 0);
    EXPECT_EQ(rig.state.m_driftRatio, 0.0);
    EXPECT_EQ(rig.state.m_totalOffset, 0);
    EXPECT_EQ(rig.state.m_offset, 0);
    EXPECT_EQ(rig.state.m_elapsed, 0);
    EXPECT_EQ(rig.state.m_referenceValid, 0);
    EXPECT_EQ(rig.state.m_countdown, 10);
    rig.state.m_syncState = 3;  // even in a drift state, a ratio of 0 asks for nothing
    rig.state.DriftCheck();
    EXPECT_EQ(rig.threads.started, 0);
}

TEST(Scheduler, SyncNowStepsTheSchedulerOrMakesOneAttempt) {
    struct Case {
        int fullAuto, exec, state;
        int stateAfter, subAfter;
        bool setsAndResets;  // a lone attempt that may always set and then resets the drift origin
    };
    const Case cases[] = {
        {0, 0, 3, 3, 0, true},  {0, 1, 3, 3, 0, true},
        {1, 0, 3, 3, 0, true},  {1, 1, 0, 1, 1, false},  // restart and the first attempt at once
        {1, 1, 1, 1, 1, false},                          // the state's own step at once
        {1, 1, 4, 5, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fullAuto << c.exec << " state " << c.state);
        SyncRig rig;
        EnterState(rig, c.state);
        rig.state.m_countdown = 500;
        rig.state.m_fullAuto = c.fullAuto;
        rig.state.m_exec = c.exec;
        rig.state.m_offset = 123;
        rig.state.m_elapsed = 456;
        rig.sources.fallback = Reply{true, 20, 300};
        rig.state.SyncNow();
        EXPECT_EQ(rig.sources.queries.size(), 1u);
        EXPECT_EQ(rig.state.m_syncState, c.stateAfter);
        EXPECT_EQ(rig.state.m_syncSubState, c.subAfter);
        EXPECT_EQ(rig.Results().size(), 1u);
        EXPECT_EQ(rig.state.m_online, 1);
        if (c.setsAndResets) {
            EXPECT_EQ(rig.clock.Sets().size(), 1u);
            EXPECT_EQ(rig.state.m_referenceTime, rig.state.m_correctTime);
            EXPECT_EQ(rig.state.m_offset, 0);
            EXPECT_EQ(rig.state.m_elapsed, 0);
            EXPECT_EQ(rig.state.m_countdown, 500) << "the scheduler's count is left alone";
        }
    }
}

TEST(Scheduler, DialUpRecheckSynchronisesOnceAMinuteAtMost) {
    SyncRig rig;
    EnterState(rig, 3);
    rig.state.m_rasCheck = 1;
    rig.state.m_online = 0;
    EXPECT_FALSE(rig.state.OnlineCheckDue()) << "no connection up";
    rig.dialUp.entries = 1;
    rig.dialUp.connections = 1;
    EXPECT_TRUE(rig.state.OnlineCheckDue());
    rig.clock.AdvanceMs(59000);
    EXPECT_FALSE(rig.state.OnlineCheckDue()) << "the attempt it ran failed a moment ago";
    rig.clock.AdvanceMs(1000);
    EXPECT_TRUE(rig.state.OnlineCheckDue());

    struct Case {
        int rasCheck, online, fullAuto, state, subState;
    };
    for (const Case& c :
         {Case{0, 0, 1, 3, 0}, Case{1, 1, 1, 3, 0}, Case{1, 0, 0, 3, 0}, Case{1, 0, 1, 1, 0}}) {
        SyncRig other;
        EnterState(other, c.state, c.subState);
        other.dialUp.entries = other.dialUp.connections = 1;
        other.state.m_rasCheck = c.rasCheck;
        other.state.m_online = c.online;
        other.state.m_fullAuto = c.fullAuto;
        EXPECT_FALSE(other.state.OnlineCheckDue());
    }
    SyncRig midSeries;
    EnterState(midSeries, 1, 2);
    midSeries.dialUp.entries = midSeries.dialUp.connections = 1;
    midSeries.state.m_rasCheck = 1;
    EXPECT_TRUE(midSeries.state.OnlineCheckDue());
}

TEST(Scheduler, ATickInsideAnAttemptStartsNothingMore) {
    // A message box shown during an attempt runs the tick in its own loop.
    SyncRig rig;
    EnterState(rig, 3);
    rig.state.m_driftRatio = 100.0;
    rig.state.m_rasCheck = 1;
    rig.dialUp.entries = rig.dialUp.connections = 1;
    int nested = 0;
    rig.sources.during = [&] {
        if (nested++) return;
        rig.state.m_countdown = 1;
        rig.state.SchedulerStep();
        rig.state.DriftCheck();
        rig.state.SyncNow();
        EXPECT_FALSE(rig.state.OnlineCheckDue());
    };
    rig.Second();
    EXPECT_EQ(rig.sources.queries.size(), 1u);
    EXPECT_EQ(rig.threads.started, 0);
}

}  // namespace
}  // namespace pelto
