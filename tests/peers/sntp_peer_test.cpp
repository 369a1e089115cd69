// The SNTP exchange over the real socket layer against loopback peers: chronyd as a real server
// (also with a known offset under faketime) and the scripted server for what real ones never send.
#include <gtest/gtest.h>

#include <cstdlib>

#include "peers.h"
#include "sync/sntp_query.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

using test::FindPeer;
using test::SteadyMs;

struct Outcome {
    bool ok = false;
    std::string error;
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = -99999;
    int64_t elapsedMs = 0;
};

Outcome Query(const std::string& server) {
    Outcome o;
    const int64_t start = SteadyMs();
    o.ok = SntpQuery(SystemSntpPorts(), o.error, server, o.t1, o.t2, o.t3, o.t4, o.correct, o.roundTrip);
    o.elapsedMs = SteadyMs() - start;
    return o;
}

void ExpectSoundExchange(const Outcome& o, int64_t serverOffsetMs) {
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(o.error, "");
    // Local times are truncated to the millisecond, server times rounded to the nearest one, so
    // on loopback neighbouring times may swap by a millisecond, and the round trip (the measured
    // duration less the server's hold, both near zero) may come out as -1.
    EXPECT_LE(DiffMilliseconds(o.t1, o.t4), 0);
    EXPECT_LE(DiffMilliseconds(o.t2, o.t3), 0);
    EXPECT_LE(DiffMilliseconds(o.t1, o.t2) + serverOffsetMs, 1);
    EXPECT_LE(DiffMilliseconds(o.t3, o.t4) - serverOffsetMs, 1);
    EXPECT_GE(o.roundTrip, -1);
    EXPECT_LT(o.roundTrip, 100);
    const int64_t error = DiffMilliseconds(o.correct, o.t4) - serverOffsetMs;
    EXPECT_LE(std::llabs(error), 3 + o.roundTrip / 2)
        << "correct" << FormatDateTimeMs(o.correct) << " T4" << FormatDateTimeMs(o.t4);
}

TEST(SntpPeer, ChronydAgreesWithThisMachinesClock) {
    const auto peer = FindPeer("chronyd");
    ExpectSoundExchange(Query(peer.address), 0);
}

TEST(SntpPeer, ChronydUnderFaketimeShowsItsOffset) {
    const auto peer = FindPeer("chronyd_offset");
    ASSERT_NE(peer.offsetMs, 0);
    ExpectSoundExchange(Query(peer.address), peer.offsetMs);
}

TEST(SntpPeer, UnresolvableNameFailsBeforeSending) {
    // A 64-character label cannot be put in a DNS query, so the resolver fails without asking
    // any server: the test never sends a datagram beyond this machine.
    const Outcome o = Query(std::string(64, 'x') + ".invalid");
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "サーバーに接続できませんでした。");
    EXPECT_EQ(o.roundTrip, -99999);
}

TEST(SntpPeer, ClosedPortFailsWithoutHanging) {
    // Nothing listens on this address: the system may report the port unreachable at once.
    std::string address = FindPeer("chronyd").address;
    address = address.substr(0, address.rfind('.')) + ".5";
    const Outcome o = Query(address);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "受信エラー");
    EXPECT_LT(o.elapsedMs, 4000);
}

TEST(SntpPeer, SilentServerFailsAfterTheWait) {
    const Outcome o = Query(FindPeer("silent").address);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "受信エラー");
    EXPECT_GE(o.elapsedMs, 2000);
    EXPECT_LT(o.elapsedMs, 4000);
}

TEST(SntpPeer, LateReplyFailsWithItsMeasuredDuration) {
    const Outcome o = Query(FindPeer("late").address);
    EXPECT_FALSE(o.ok);
    // The text is code page 932 bytes, so it is taken apart by hand rather than by a regex.
    const std::string head = "受信タイムアウトエラー ";
    ASSERT_EQ(o.error.compare(0, head.size(), head), 0) << o.error;
    ASSERT_GE(o.error.size(), head.size() + 5);
    ASSERT_EQ(o.error.substr(o.error.size() - 4), "msec");
    const int measured = std::stoi(o.error.substr(head.size(), o.error.size() - head.size() - 4));
    EXPECT_GE(measured, 2290);
    EXPECT_LT(measured, 2800);
    EXPECT_EQ(measured, DiffMilliseconds(o.t4, o.t1));
}

TEST(SntpPeer, SpoofedReplyIsIgnoredAndTheGenuineOneUsed) {
    const Outcome o = Query(FindPeer("spoof_then_genuine").address);
    ASSERT_TRUE(o.ok) << o.error;
    // The spoof claimed a time an hour ahead; the estimate follows the genuine reply.
    EXPECT_LE(std::llabs(DiffMilliseconds(o.correct, o.t4)), 3 + o.roundTrip / 2);
}

TEST(SntpPeer, RepliesThatEndTheExchange) {
    struct Case {
        const char* peer;
        const char* error;
        bool waitsOut;  // discarded replies leave the wait running to its end
    } cases[] = {
        {"short", "受信エラー", true},
        {"wrong_mode", "受信エラー", true},
        {"zero_transmit", "受信エラー", true},
        {"kod_rate", "サーバーから拒否されました。（RATE）", false},
        {"kod_deny", "サーバーから拒否されました。（DENY）", false},
        {"leap3", "サーバーが同期していません。", false},
        {"stratum16", "サーバーが同期していません。", false},
    };
    for (const auto& c : cases) {
        const Outcome o = Query(FindPeer(c.peer).address);
        EXPECT_FALSE(o.ok) << c.peer;
        EXPECT_EQ(o.error, c.error) << c.peer;
        if (c.waitsOut) {
            EXPECT_GE(o.elapsedMs, 2000) << c.peer;
        } else {
            EXPECT_LT(o.elapsedMs, 1000) << c.peer;
        }
    }
}

TEST(SntpPeer, NtpSecondsZeroDecodeToTheNextEra) {
    const Outcome o = Query(FindPeer("era2036").address);
    ASSERT_TRUE(o.ok) << o.error;
    SystemTime era{};
    ASSERT_TRUE(SecondsToLocal(2085978496, era));  // 2036-02-07 06:28:16 UTC
    EXPECT_EQ(FormatDateTime(o.t2), FormatDateTime(era));
    EXPECT_EQ(FormatDateTime(o.t3), FormatDateTime(era));
    EXPECT_EQ(o.t2.wMilliseconds, 0);
    EXPECT_EQ(o.t3.wMilliseconds, 0);
}

}  // namespace
}  // namespace pelto
