// The drift correction in simulated time: where in the second the change lands, corrections it
// must not make, how long it may spin, and what the clock object does with its outcome.
#include <gtest/gtest.h>

#include <atomic>

#include "sync/drift_correction.h"
#include "sync_fakes.h"

namespace pelto {
namespace {

using test::LocalOfUnixMs;
using test::SimWallClock;
using test::UnixMsOf;

// A clock at `ms` past a whole second, readings moving on 250 us each, and drift inputs that owe
// `owed` ms with nothing applied yet (ratio 1000: one ms per second since the reference).
struct DriftRig {
    explicit DriftRig(int ms, int owed, int tickMs = 1)
        : clock(test::kSimEpochUnix * 1000 + ms), monotonic(clock), sleeper(clock), privilege(privileges) {
        clock.SetAdvancePerReadUs(250);
        clock.SetTickMs(tickMs);
        const int64_t now = clock.TrueUnixMs();
        inputs.driftRatio = 1000.0;
        inputs.driftSign = owed < 0 ? -1 : 1;
        inputs.referenceTime = LocalOfUnixMs(now - (std::abs(owed) * 1000 - 1));
        inputs.floor = test::Date(2020, 1, 1);
    }
    DriftOutcome Run() {
        return CorrectDrift(inputs, DriftCorrectionPorts{clock, privilege, monotonic, sleeper}, cancel);
    }

    SimWallClock clock;
    test::SimClockMonotonic monotonic;
    test::SimSleeper sleeper;
    test::FakePrivileges privileges;
    TimePrivilege privilege;
    DriftInputs inputs;
    std::atomic<bool> cancel{false};
};

TEST(DriftArithmetic, DueAndOwed) {
    const SystemTime ref = LocalOfUnixMs(test::kSimEpochUnix * 1000);
    EXPECT_EQ(DriftDue(LocalOfUnixMs(test::kSimEpochUnix * 1000 + 2999), ref, 1000.0, 1), 3);
    EXPECT_EQ(DriftDue(LocalOfUnixMs(test::kSimEpochUnix * 1000 + 2998), ref, 1000.0, 1), 2);
    EXPECT_EQ(DriftDue(LocalOfUnixMs(test::kSimEpochUnix * 1000 + 2999), ref, 1000.0, -1), -3);
    EXPECT_EQ(DriftDue(ref, ref, 0.0, 1), 0);
    EXPECT_EQ(DriftOwed(10, 4), 6);
    EXPECT_EQ(DriftOwed(-10, 4), -14);
    // Only the low 32 bits take part, as they always have.
    EXPECT_EQ(DriftOwed((int64_t{1} << 32) + 5, 2), 3);
}

TEST(DriftCorrection, NothingOwedChangesNothing) {
    DriftRig rig(500, 0);
    rig.inputs.totalOffset = 0;
    rig.inputs.referenceTime = LocalOfUnixMs(rig.clock.TrueUnixMs() - 500);  // due 0
    const DriftOutcome out = rig.Run();
    EXPECT_EQ(out.result, DriftResult::kNothingOwed);
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_EQ(rig.privileges.Events(),
              (std::vector<std::string>{"enable SeSystemtimePrivilege", "disable all"}));
}

TEST(DriftCorrection, PlusThreeReadAt998LandsAtTheNextSecondPlusThree) {
    DriftRig rig(998, 3);
    const int64_t nextSecond = rig.clock.TrueUnixMs() - 998 + 1000;
    const DriftOutcome out = rig.Run();
    ASSERT_EQ(out.result, DriftResult::kApplied);
    EXPECT_EQ(out.due, 3);
    ASSERT_EQ(rig.clock.Sets().size(), 1u);
    EXPECT_EQ(UnixMsOf(rig.clock.Sets()[0]), nextSecond + 3);
    EXPECT_EQ(rig.clock.StepMs(), 3);
    EXPECT_TRUE(rig.sleeper.Sleeps().empty()) << "two milliseconds away: no sleep";
}

TEST(DriftCorrection, MinusFiveReadAt2WaitsForAReadingOfAtLeast5) {
    DriftRig rig(2, -5);
    const int64_t second = rig.clock.TrueUnixMs() - 2;
    const DriftOutcome out = rig.Run();
    ASSERT_EQ(out.result, DriftResult::kApplied);
    EXPECT_EQ(out.due, -5);
    ASSERT_EQ(rig.clock.Sets().size(), 1u);
    EXPECT_EQ(UnixMsOf(rig.clock.Sets()[0]), second + 0) << "the reading of 5 ms, moved back by 5";
    EXPECT_EQ(rig.clock.StepMs(), -5);
}

TEST(DriftCorrection, ACorrectionOfASecondOrMoreIsNotApplied) {
    for (int owed : {1000, -1000, 4321}) {
        DriftRig rig(500, owed);
        const DriftOutcome out = rig.Run();
        EXPECT_EQ(out.result, DriftResult::kTooLarge) << owed;
        EXPECT_EQ(out.owed, owed);
        EXPECT_TRUE(rig.clock.Sets().empty());
        EXPECT_LE(rig.clock.Reads(), 2) << "it ends at once";
        EXPECT_FALSE(rig.privileges.Enabled());
    }
}

TEST(DriftCorrection, FarFromTheWindowItSleepsAndSpinsOnlyAboutOneTick) {
    // +500 read at 600 ms can only land at 0..499 of the next second; on a clock that ticks every
    // 15 ms the readings near the second are 990 and 1005.
    for (int tick : {1, 15}) {
        SCOPED_TRACE(tick);
        DriftRig rig(600, 500, tick);
        const int64_t nextSecond = rig.clock.TrueUnixMs() - 600 + 1000;
        const DriftOutcome out = rig.Run();
        ASSERT_EQ(out.result, DriftResult::kApplied);
        ASSERT_EQ(rig.clock.Sets().size(), 1u);
        const int64_t landed = UnixMsOf(rig.clock.Sets()[0]) - out.owed;  // the reading it replaced
        EXPECT_GE(landed, nextSecond);
        EXPECT_LT(landed, nextSecond + tick + 1) << "right after the tick into the new second";
        int64_t slept = 0;
        for (int64_t s : rig.sleeper.Sleeps()) slept += s;
        // Everything but the last stretch before the window was slept, not spun.
        EXPECT_GE(slept, 350);
        // The busy stretch: from the last wake-up to the reading that was set.
        EXPECT_LE(landed - rig.sleeper.LastWakeMs(), kDriftSpinMs + tick + 1);
    }
}

TEST(DriftCorrection, AWindowTheClocksTicksNeverHitIsGivenUp) {
    // +995 needs a reading of 0..4 (0..5 when it reads 994), which this clock never shows.
    DriftRig rig(3, 995, 16);
    rig.clock.SetTickPhaseMs(6);  // the first reading of every second shows 6 or 14 ms
    const DriftOutcome out = rig.Run();
    EXPECT_EQ(out.result, DriftResult::kMissed);
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_FALSE(rig.privileges.Enabled());
}

TEST(DriftCorrection, WithoutThePrivilegeNothingHappens) {
    DriftRig rig(500, 20);
    rig.privileges.enableOk = false;
    EXPECT_EQ(rig.Run().result, DriftResult::kNoPrivilege);
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_EQ(rig.clock.Reads(), 0);
}

TEST(DriftCorrection, ARefusedChangeAndATimeBeforeTheFloorAreReported) {
    {
        DriftRig rig(500, 20);
        rig.clock.Refuse(1314);
        const DriftOutcome out = rig.Run();
        EXPECT_EQ(out.result, DriftResult::kSetFailed);
        EXPECT_EQ(out.error, 1314u);
    }
    {
        DriftRig rig(500, 20);
        rig.inputs.floor = test::Date(2099, 1, 1);
        EXPECT_EQ(rig.Run().result, DriftResult::kBeforeFloor);
        EXPECT_TRUE(rig.clock.Sets().empty());
    }
}

TEST(DriftCorrection, StopsWhenAskedWhileWaiting) {
    DriftRig rig(600, 500);
    rig.cancel = true;
    EXPECT_EQ(rig.Run().result, DriftResult::kCancelled);
    EXPECT_TRUE(rig.clock.Sets().empty());
    EXPECT_FALSE(rig.privileges.Enabled());
}

// --- The clock object's side -------------------------------------------------------------

// A rig in state 5 whose drift check owes `owed` ms (ratio 1500).
void OweDrift(test::SyncRig& rig, int owed) {
    rig.state.m_syncState = 5;
    rig.state.m_countdown = 1000;
    rig.state.m_driftRatio = 1500.0;
    rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - owed * 1500);
    rig.state.m_totalOffset = 0;
    rig.state.m_roundTripLimit = 40;
    rig.clock.SetAdvancePerReadUs(250);
}

TEST(DriftControl, OneThreadAtATimeAndItsResultIsTakenBack) {
    test::SyncRig rig;
    OweDrift(rig, 7);
    rig.state.DriftCheck();
    rig.state.DriftCheck();
    EXPECT_EQ(rig.threads.started, 1) << "no second thread while the first has not ended";
    EXPECT_TRUE(rig.state.DriftCorrectionRunning());
    rig.threads.RunLast();
    EXPECT_EQ(rig.state.m_totalOffset, 0) << "the thread never writes the object";
    rig.state.DriftCheck();  // the next tick takes the outcome
    EXPECT_EQ(rig.state.m_totalOffset, 7);
    EXPECT_EQ(rig.clock.StepMs(), 7);
    EXPECT_EQ(rig.threads.started, 1) << "nothing owed any more";
}

TEST(DriftControl, AnAttemptStopsTheThreadFirstAndKeepsWhatItDid) {
    test::SyncRig rig;
    OweDrift(rig, 7);
    rig.state.DriftCheck();
    ASSERT_EQ(rig.threads.started, 1);
    bool threadDoneBeforeExchange = false;
    rig.sources.during = [&] { threadDoneBeforeExchange = !rig.state.DriftCorrectionRunning(); };
    rig.state.m_countdown = 1;
    rig.state.SchedulerStep();
    EXPECT_TRUE(threadDoneBeforeExchange);
    EXPECT_EQ(rig.sources.queries.size(), 1u);
}

TEST(DriftControl, ATooLargeCorrectionIsLoggedAndTheClockResynchronised) {
    test::SyncRig rig;
    OweDrift(rig, 1200);
    rig.state.DriftCheck();
    ASSERT_EQ(rig.threads.started, 1);
    rig.threads.RunLast();
    EXPECT_TRUE(rig.clock.Sets().empty());
    rig.state.DriftCheck();
    const auto notes = rig.Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "ドリフト補正 1200 ms は一度に補正できないため、時刻同期をやり直します");
    // A fresh start with its first attempt at once: the drift is measured again from scratch.
    EXPECT_EQ(rig.sources.queries.size(), 1u);
    EXPECT_EQ(rig.state.m_syncState, 1);
    EXPECT_EQ(rig.state.m_syncSubState, 1);
    EXPECT_EQ(rig.state.m_driftRatio, 0.0);
    EXPECT_EQ(rig.clock.Sets().size(), 1u);
    rig.state.DriftCheck();
    EXPECT_EQ(rig.threads.started, 1) << "no drift to correct until it is measured again";
}

TEST(DriftControl, ARefusedCorrectionIsLoggedOnceAndNotRetriedUntilASync) {
    test::SyncRig rig;
    OweDrift(rig, 7);
    rig.clock.Refuse(1314);
    rig.state.DriftCheck();
    rig.threads.RunLast();
    for (int i = 0; i < 5; ++i) rig.state.DriftCheck();
    EXPECT_EQ(rig.threads.started, 1);
    EXPECT_EQ(rig.Notes(),
              std::vector<std::string>{"ドリフト補正：時刻を設定できませんでした。（エラーコード 1314）"});
    rig.clock.Refuse(0);
    rig.state.m_countdown = 1;
    rig.sources.fallback = test::Reply{true, 20, 5};
    rig.state.SchedulerStep();  // a synchronisation that sets the clock lifts the hold
    ASSERT_TRUE(rig.state.m_clockSet);
    rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - 30 * 1500);
    rig.state.DriftCheck();
    EXPECT_EQ(rig.threads.started, 2);
}

TEST(DriftControl, AGainingClockIsCorrectedBackwards) {
    test::SyncRig rig;
    rig.state.m_syncState = 2;
    rig.state.m_countdown = 1;
    rig.state.m_roundTripLimit = 40;
    rig.state.m_referenceValid = 1;
    rig.state.m_referenceTime = test::LocalOfUnixMs(rig.clock.TrueUnixMs() - 600000);
    rig.sources.fallback = test::Reply{true, 10, -400};  // the PC ran 400 ms ahead in ten minutes
    rig.state.SchedulerStep();
    ASSERT_EQ(rig.state.m_syncState, 3);
    EXPECT_EQ(rig.state.m_driftSign, -1);
    EXPECT_EQ(rig.clock.StepMs(), -400);
    // Another ten minutes: about 400 ms more are due, backwards.
    rig.clock.AdvanceMs(600000);
    rig.clock.SetAdvancePerReadUs(250);
    rig.state.DriftCheck();
    ASSERT_EQ(rig.threads.started, 1);
    rig.threads.RunLast();
    rig.state.DriftCheck();
    EXPECT_LT(rig.clock.StepMs(), -400 - 390);
    EXPECT_LT(rig.state.m_totalOffset, -790);
}

}  // namespace
}  // namespace pelto
