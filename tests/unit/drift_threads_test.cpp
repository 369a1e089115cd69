// The correction thread on real threads, next to a GUI thread that keeps ticking, synchronising
// and finally destroying the clock object. These also run under the thread sanitizer (the tsan
// test of the native tree), which checks that the two threads share nothing unguarded.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "sync_fakes.h"

namespace pelto {
namespace {

TEST(DriftThreads, PrivilegeIsHeldAsLongAsAnyThreadNeedsIt) {
    test::FakePrivileges port;
    TimePrivilege privilege(port);
    std::atomic<int> lost{0};
    auto worker = [&] {
        for (int i = 0; i < 2000; ++i) {
            if (!privilege.Acquire()) continue;
            if (!port.Enabled()) ++lost;  // disabled by the other thread while we hold it
            privilege.Release();
        }
    };
    std::thread a(worker), b(worker);
    a.join();
    b.join();
    EXPECT_EQ(lost.load(), 0);
    EXPECT_FALSE(port.Enabled()) << "the last holder disabled everything";
}

// Real threads, counted.
struct CountingThreads final : ThreadPort {
    std::unique_ptr<WorkerThread> Start(std::function<void()> body) override {
        ++started;
        return StdThreadPort().Start(std::move(body));
    }
    std::atomic<int> started{0};
};

// A clock that moves on a little with every reading, in a rig whose corrections run on threads.
struct ThreadedRig : test::SyncRig {
    ThreadedRig() : test::SyncRig(&threads) {
        clock.SetAdvancePerReadUs(50);
        state.m_syncState = 5;
        state.m_countdown = 1000000;
        state.m_roundTripLimit = 40;
        state.m_driftRatio = 1500.0;
        state.m_referenceTime = clock.Now();
    }
    static inline CountingThreads threads;
};

TEST(DriftThreads, CorrectionsOnAThreadAddUpToTheAccumulatedOffset) {
    ThreadedRig rig;
    const int startedBefore = ThreadedRig::threads.started;
    for (int i = 0; i < 2000; ++i) {
        rig.clock.AdvanceMs(200);  // one tick
        rig.state.DriftCheck();
        // The ticks go on while a correction runs; the simulated time moves only by its readings.
        while (rig.state.DriftCorrectionRunning()) {
            rig.state.DriftCheck();
            std::this_thread::yield();
        }
    }
    rig.state.StopDriftCorrection();
    EXPECT_GT(ThreadedRig::threads.started - startedBefore, 50);
    // Every correction moved the clock by what was owed, and the object took each one back.
    EXPECT_EQ(rig.clock.StepMs(), rig.state.m_totalOffset);
    const int64_t due = DriftDue(rig.clock.Now(), rig.state.m_referenceTime, 1500.0, 1);
    EXPECT_LE(std::llabs(due - rig.state.m_totalOffset), 2);
    EXPECT_FALSE(rig.privileges.Enabled());
}

TEST(DriftThreads, AttemptsAndTheEndOfTheClockStopTheThread) {
    // Sleeps that take real time, so the thread is still waiting when the GUI thread acts.
    struct SlowSleeper final : Sleeper {
        explicit SlowSleeper(test::SimWallClock& c) : c_(c) {}
        void SleepMs(int64_t ms) override {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            c_.AdvanceMs(ms);
        }
        test::SimWallClock& c_;
    };
    for (int round = 0; round < 20; ++round) {
        test::SimWallClock clock(test::kSimEpochUnix * 1000 + 500);
        clock.SetAdvancePerReadUs(50);
        test::SimClockMonotonic monotonic(clock);
        SlowSleeper sleeper(clock);
        test::FakeSources sources(clock);
        test::FakePrivileges privileges;
        test::FakePriority priority;
        test::FakeDialUp dialUp;
        int64_t readsAfterEnd = 0;
        {
            ClockState state(
                clock, SyncPorts{sources, privileges, priority, dialUp, StdThreadPort(), monotonic, sleeper});
            state.m_fullAuto = state.m_exec = 1;
            state.m_ntpServer1 = "ntp1.test";
            state.m_earliestSettable = test::Date(2020, 1, 1);
            state.m_syncState = 5;
            state.m_roundTripLimit = 40;
            state.m_driftRatio = 1500.0;
            // 600 ms owed at 500 ms past the second: the thread sleeps towards the next second.
            state.m_referenceTime = test::LocalOfUnixMs(clock.TrueUnixMs() - 600 * 1500);
            state.DriftCheck();
            if (round % 2 == 0) {
                state.m_countdown = 1;
                state.SchedulerStep();  // an attempt: the thread is stopped before the exchange
                EXPECT_FALSE(state.DriftCorrectionRunning());
                EXPECT_EQ(sources.queries.size(), 1u);
            }
            // The clock object goes with a thread possibly still waiting.
        }
        readsAfterEnd = clock.Reads();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(clock.Reads(), readsAfterEnd) << "no thread outlives the clock object";
        EXPECT_FALSE(privileges.Enabled());
    }
}

}  // namespace
}  // namespace pelto
