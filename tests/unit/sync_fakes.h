#pragma once
// Fakes of every port a synchronisation uses, in simulated time, and a rig that builds a clock
// state on them. The simulated wall clock is safe to share with a correction thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "clock/clock_state.h"
#include "sim_time.h"
#include "sync/sync_ports.h"
#include "sync/time_arith.h"

namespace pelto::test {

inline int64_t UnixMsOf(const SystemTime& t) {
    int64_t s = 0;
    EXPECT_TRUE(LocalToSeconds(t, s));
    return s * 1000 + t.wMilliseconds;
}

inline bool InZone(const char* zone) {
    const char* tz = std::getenv("TZ");
    return tz != nullptr && std::string(tz) == zone;
}

// The true time runs on in simulated milliseconds (optionally a little with every reading, as a
// real clock does while somebody polls it); the wall clock shows it plus a step that setting the
// clock changes. Readings are quantised to `tickMs`, as a coarse system clock shows them.
class SimWallClock final : public LocalClock {
public:
    explicit SimWallClock(int64_t trueUnixMs) : trueUs_(trueUnixMs * 1000) {}

    SystemTime Now() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++reads_;
        const int64_t wallMs = (trueUs_ / 1000) + stepMs_;
        trueUs_ += advancePerReadUs_;
        return LocalOfUnixMs(wallMs - Mod(wallMs - tickPhaseMs_, tickMs_));
    }

    bool Set(const SystemTime& t, uint32_t& errorCode) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sets_.push_back(t);
        if (refuseWith_ != 0) {
            errorCode = refuseWith_;
            return false;
        }
        stepMs_ = UnixMsOfLocked(t) - trueUs_ / 1000;
        return true;
    }

    int64_t Time() override {
        std::lock_guard<std::mutex> lock(mutex_);
        const int64_t wallMs = trueUs_ / 1000 + stepMs_;
        return (wallMs - Mod(wallMs, 1000)) / 1000;
    }

    void AdvanceMs(int64_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        trueUs_ += ms * 1000;
    }
    int64_t TrueUnixMs() {
        std::lock_guard<std::mutex> lock(mutex_);
        return trueUs_ / 1000;
    }
    int64_t StepMs() {
        std::lock_guard<std::mutex> lock(mutex_);
        return stepMs_;
    }
    void SetStepMs(int64_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        stepMs_ = ms;
    }
    void SetAdvancePerReadUs(int64_t us) {
        std::lock_guard<std::mutex> lock(mutex_);
        advancePerReadUs_ = us;
    }
    void SetTickMs(int64_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        tickMs_ = ms;
    }
    // Readings fall on multiples of the tick plus this phase.
    void SetTickPhaseMs(int64_t ms) {
        std::lock_guard<std::mutex> lock(mutex_);
        tickPhaseMs_ = ms;
    }
    void Refuse(uint32_t code) {
        std::lock_guard<std::mutex> lock(mutex_);
        refuseWith_ = code;
    }
    std::vector<SystemTime> Sets() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sets_;
    }
    int64_t Reads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return reads_;
    }

private:
    static int64_t Mod(int64_t a, int64_t b) { return ((a % b) + b) % b; }
    static int64_t UnixMsOfLocked(const SystemTime& t) {
        int64_t s = 0;
        LocalToSeconds(t, s);
        return s * 1000 + t.wMilliseconds;
    }

    std::mutex mutex_;
    int64_t trueUs_;
    int64_t stepMs_ = 0;
    int64_t advancePerReadUs_ = 0;
    int64_t tickMs_ = 1;
    int64_t tickPhaseMs_ = 0;
    uint32_t refuseWith_ = 0;
    int64_t reads_ = 0;
    std::vector<SystemTime> sets_;
};

// Monotonic time and sleep both on the simulated true time.
class SimClockMonotonic final : public MonotonicClock {
public:
    explicit SimClockMonotonic(SimWallClock& c) : c_(c) {}
    int64_t NowMs() override { return c_.TrueUnixMs(); }

private:
    SimWallClock& c_;
};

class SimSleeper final : public Sleeper {
public:
    explicit SimSleeper(SimWallClock& c) : c_(c) {}
    void SleepMs(int64_t ms) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sleeps_.push_back(ms);
        c_.AdvanceMs(ms);
        lastWakeMs_ = c_.TrueUnixMs();
    }
    int64_t LastWakeMs() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastWakeMs_;
    }
    std::vector<int64_t> Sleeps() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sleeps_;
    }

private:
    SimWallClock& c_;
    std::mutex mutex_;
    std::vector<int64_t> sleeps_;
    int64_t lastWakeMs_ = 0;
};

// One scripted answer of a time source.
struct Reply {
    bool ok = true;
    int32_t roundTrip = 20;
    int64_t serverAheadMs = 0;  // the source's time minus the truth
    std::string error = "受信エラー";
};

// Answers from a script (the default reply once it is used up): the exchange takes the round
// trip in simulated time and the correct time is the source's time at T4.
class FakeSources final : public TimeSources {
public:
    explicit FakeSources(SimWallClock& clock) : clock_(clock) {}

    bool QuerySntp(const std::string& server, std::string& error, const ExchangeTimes& times,
                   int32_t& roundTrip) override {
        return Answer("sntp " + server, error, times, roundTrip);
    }
    bool QueryHttp(const std::string& url, std::string& error, const ExchangeTimes& times,
                   int32_t& roundTrip) override {
        return Answer("http " + url, error, times, roundTrip);
    }

    std::deque<Reply> script;
    Reply fallback;
    std::vector<std::string> queries;
    std::function<void()> during;  // runs inside every exchange

private:
    bool Answer(const std::string& what, std::string& error, const ExchangeTimes& times, int32_t& roundTrip) {
        queries.push_back(what);
        Reply r = fallback;
        if (!script.empty()) {
            r = script.front();
            script.pop_front();
        }
        if (during) during();
        if (!r.ok) {
            error = r.error;
            return false;
        }
        times.t1 = clock_.Now();
        clock_.AdvanceMs(r.roundTrip > 0 ? r.roundTrip : 0);
        times.t4 = clock_.Now();
        const int64_t server = clock_.TrueUnixMs() + r.serverAheadMs;
        times.correct = LocalOfUnixMs(server);
        times.t2 = LocalOfUnixMs(server - r.roundTrip / 2);
        times.t3 = times.t2;
        roundTrip = r.roundTrip;
        return true;
    }

    SimWallClock& clock_;
};

class FakePrivileges final : public PrivilegePort {
public:
    bool IsWindowsNT() override { return nt; }
    bool Enable(const std::string& name) override {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back("enable " + name);
        if (enableOk) enabled_ = true;
        return enableOk;
    }
    void DisableAll() override {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back("disable all");
        enabled_ = false;
    }
    bool Enabled() {
        std::lock_guard<std::mutex> lock(mutex_);
        return enabled_;
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

    bool nt = true;
    bool enableOk = true;

private:
    std::mutex mutex_;
    bool enabled_ = false;
    std::vector<std::string> events_;
};

class FakePriority final : public ThreadPriorityPort {
public:
    void RaiseCurrentToTimeCritical() override { events.push_back("raise"); }
    void RestoreCurrentToNormal() override { events.push_back("restore"); }
    std::vector<std::string> events;
};

class FakeDialUp final : public DialUpPort {
public:
    uint32_t EnumEntries(uint32_t& count) override {
        ++entryCalls;
        count = entries;
        return entriesResult;
    }
    uint32_t EnumConnections(uint32_t capacity, uint32_t& count) override {
        capacities.push_back(capacity);
        count = connections;
        return connectionsResult;
    }
    uint32_t entries = 0;
    uint32_t entriesResult = 0;
    uint32_t connections = 0;
    uint32_t connectionsResult = 0;
    int entryCalls = 0;
    std::vector<uint32_t> capacities;
};

// Threads that run only when the test says so, on the test's own thread.
class ManualThreads final : public ThreadPort {
public:
    class Thread final : public WorkerThread {
    public:
        explicit Thread(std::function<void()> body) : body_(std::move(body)) {}
        ~Thread() override { Join(); }
        bool Running() const override { return !done_; }
        void Join() override { Run(); }
        void Run() {
            if (done_) return;
            done_ = true;
            body_();
        }

    private:
        std::function<void()> body_;
        bool done_ = false;
    };

    std::unique_ptr<WorkerThread> Start(std::function<void()> body) override {
        ++started;
        if (refuse) return nullptr;
        auto t = std::make_unique<Thread>(std::move(body));
        last = t.get();
        return t;
    }
    // Runs the thread started last.
    void RunLast() {
        ASSERT_NE(last, nullptr);
        last->Run();
    }

    int started = 0;
    bool refuse = false;
    Thread* last = nullptr;
};

inline SystemTime Date(uint16_t y, uint16_t m, uint16_t d) { return SystemTime{y, m, 0, d, 0, 0, 0, 0}; }

// A clock state on fakes: SNTP server "ntp1.test", automatic operation with EXEC on, cycle 2,
// the sync fakes in simulated time starting at the simulation's epoch.
struct SyncRig {
    explicit SyncRig(ThreadPort* threadPort = nullptr, int64_t startUnixMs = kSimEpochUnix * 1000)
        : clock(startUnixMs),
          monotonic(clock),
          sleeper(clock),
          sources(clock),
          state(clock, SyncPorts{sources, privileges, priority, dialUp, threadPort ? *threadPort : threads,
                                 monotonic, sleeper}) {
        state.m_ntpServer1 = "ntp1.test";
        state.m_httpUrl1 = "time.test/now";
        state.m_fullAuto = 1;
        state.m_exec = 1;
        state.m_cycle = 2;
        state.m_earliestSettable = Date(2020, 1, 1);
        state.m_referenceTime = clock.Now();
    }

    // One step of the scheduler as the tick makes it on the first tick of a new second.
    void Second() {
        clock.AdvanceMs(1000);
        state.m_resultPending = false;
        if (state.m_fullAuto) state.SchedulerStep();
    }

    std::vector<std::string> Notes() const {
        std::vector<std::string> out;
        for (const auto& r : state.m_log)
            if (r->m_isNote) out.push_back(r->m_text);
        return out;
    }
    std::vector<std::string> Results() const {
        std::vector<std::string> out;
        for (const auto& r : state.m_log)
            if (!r->m_isNote) out.push_back(r->m_text);
        return out;
    }

    SimWallClock clock;
    SimClockMonotonic monotonic;
    SimSleeper sleeper;
    FakeSources sources;
    FakePrivileges privileges;
    FakePriority priority;
    FakeDialUp dialUp;
    ManualThreads threads;
    ClockState state;
};

}  // namespace pelto::test
