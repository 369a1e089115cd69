// One synchronisation attempt through the real sources (SNTP over the system's sockets, the page
// over its HTTP client) against the loopback peers, with a clock that records the settings it is
// given instead of making them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "clock/clock_state.h"
#include "peers.h"
#include "platform/datagram_port.h"
#include "platform/random_source.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

using test::FindPeer;

// The machine's time; settings are only written down.
class RecordingClock final : public LocalClock {
public:
    SystemTime Now() override { return SystemLocalClock().Now(); }
    bool Set(const SystemTime& t, uint32_t&) override {
        sets.push_back(t);
        return true;
    }
    std::vector<SystemTime> sets;
};

class NoMessages final : public MessageBoxPort {
public:
    void Show(const std::string& text) override { ADD_FAILURE() << "message box: " << text; }
};

class NoPrivileges final : public PrivilegePort {
public:
    bool IsWindowsNT() override { return false; }
    bool Enable(const std::string&) override { return true; }
    void DisableAll() override {}
};

class SamePriority final : public ThreadPriorityPort {
public:
    void RaiseCurrentToTimeCritical() override {}
    void RestoreCurrentToNormal() override {}
};

class NoDialUp final : public DialUpPort {
public:
    uint32_t EnumEntries(uint32_t& count) override { return count = 0; }
    uint32_t EnumConnections(uint32_t, uint32_t& count) override { return count = 0; }
};

struct PeerRig {
    PeerRig()
        : sources(SntpPorts{SystemDatagramPort(), clock, SystemMonotonicClock(), SystemRandomSource()},
                  SystemHttpPort(), messages),
          state(clock, SyncPorts{sources, privileges, priority, dialUp, StdThreadPort(), SystemMonotonicClock(),
                                 SystemSleeper()}) {}

    RecordingClock clock;
    NoMessages messages;
    SystemTimeSources sources;
    NoPrivileges privileges;
    SamePriority priority;
    NoDialUp dialUp;
    ClockState state;
};

TEST(SyncPeers, MeasuresTheOffsetOfAServerAhead) {
    const test::Peer ahead = FindPeer("chronyd_offset");
    PeerRig rig;
    // Nothing answers on the ".3" address of the peers' block: the second server is asked.
    const std::string silent = ahead.address.substr(0, ahead.address.rfind('.')) + ".3";
    rig.state.m_ntpServer1 = silent;
    rig.state.m_ntpServer2 = ahead.address;
    int32_t r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, false)) << rig.state.m_resultText;
    EXPECT_EQ(rig.state.m_resultText, ahead.address + " ");
    EXPECT_NEAR(static_cast<double>(rig.state.m_offset), static_cast<double>(ahead.offsetMs), 20.0);
    EXPECT_TRUE(rig.clock.sets.empty());
    ASSERT_EQ(rig.state.m_log.size(), 1u);
    EXPECT_EQ((*rig.state.m_log.begin())->m_text.rfind(silent + " ", 0), 0u);

    // Asked to set the clock, it sets it to the server's time (a loopback round trip of 0 ms,
    // which sets nothing, is possible, so only a set clock is checked).
    r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, true));
    if (r != 0) {
        ASSERT_EQ(rig.clock.sets.size(), 1u);
        const int64_t moved = DiffMilliseconds(rig.clock.sets[0], rig.state.m_replyTime);
        EXPECT_NEAR(static_cast<double>(moved), static_cast<double>(ahead.offsetMs), 20.0);
    }
}

TEST(SyncPeers, TakesTheTimeFromTheHttpPage) {
    PeerRig rig;
    rig.state.m_useHttp = 1;
    rig.state.m_httpUrl1 = "http://" + FindPeer("http").address + "/";
    int32_t r = 0;
    ASSERT_TRUE(rig.state.SyncOnce(r, false)) << rig.state.m_resultText;
    EXPECT_LE(std::llabs(rig.state.m_offset), 5 + r);
    EXPECT_EQ(rig.state.m_online, 1);
}

}  // namespace
}  // namespace pelto
