// The SNTP exchange against a scripted in-memory network in simulated time: every error text,
// the reply checks in action, the monotonic deadline and the socket's lifetime.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "platform/random_source.h"
#include "sim_time.h"
#include "sync/sntp_packet.h"
#include "sync/sntp_query.h"

namespace pelto {
namespace {

using test::LocalOfUnixMs;
using test::NtpOfUnixMs;
using test::SimTime;

using Datagram = std::vector<uint8_t>;

// One scripted answer: sent `delayMs` after our request, built from that request and the true
// time at which the server handles it.
struct Answer {
    int64_t delayMs;
    std::function<Datagram(const SntpPacket& request, int64_t serverUnixMs)> make;
};

struct NetworkLog {
    int opened = 0;
    int alive = 0;
    int closed = 0;
    std::string host;
    uint16_t port = 0;
    std::vector<Datagram> sent;
};

class ScriptedSocket final : public DatagramSocket {
public:
    ScriptedSocket(SimTime& sim, NetworkLog& log, std::vector<Answer> script, bool connectOk, bool receiveFails)
        : sim_(sim), log_(log), script_(std::move(script)), connectOk_(connectOk), receiveFails_(receiveFails) {
        ++log_.alive;
    }
    ~ScriptedSocket() override {
        Close();
        --log_.alive;
    }

    bool Connect(const std::string& host, uint16_t port) override {
        log_.host = host;
        log_.port = port;
        return connectOk_;
    }

    bool Send(const uint8_t* data, size_t size) override {
        log_.sent.emplace_back(data, data + size);
        const SntpPacket request = DecodeSntpPacket(data);
        for (const Answer& a : script_) {
            const int64_t at = sim_.nowMs + a.delayMs;
            queue_.push_back({at, a.make(request, sim_.TrueUnixMs() + a.delayMs / 2)});
        }
        return true;
    }

    Wait WaitReadable(int64_t timeoutMs) override {
        if (receiveFails_) return Wait::kReadable;
        if (!queue_.empty() && queue_.front().at <= sim_.nowMs + timeoutMs) {
            if (queue_.front().at > sim_.nowMs) sim_.nowMs = queue_.front().at;
            return Wait::kReadable;
        }
        sim_.nowMs += timeoutMs;
        return Wait::kTimeout;
    }

    int64_t Receive(uint8_t* buffer, size_t capacity) override {
        if (receiveFails_) return kFailed;
        if (queue_.empty() || queue_.front().at > sim_.nowMs) return kWouldBlock;
        const Datagram d = queue_.front().bytes;
        queue_.pop_front();
        const size_t n = std::min(capacity, d.size());
        std::copy(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        return static_cast<int64_t>(n);
    }

    void Close() override {
        if (!closed_) ++log_.closed;
        closed_ = true;
    }

private:
    struct Pending {
        int64_t at;
        Datagram bytes;
    };
    SimTime& sim_;
    NetworkLog& log_;
    std::vector<Answer> script_;
    bool connectOk_;
    bool receiveFails_;
    bool closed_ = false;
    std::deque<Pending> queue_;
};

class ScriptedNetwork final : public DatagramPort {
public:
    explicit ScriptedNetwork(SimTime& sim) : sim_(sim) {}
    std::unique_ptr<DatagramSocket> Open() override {
        if (!openOk) return nullptr;
        ++log.opened;
        return std::make_unique<ScriptedSocket>(sim_, log, script, connectOk, receiveFails);
    }

    std::vector<Answer> script;
    bool openOk = true;
    bool connectOk = true;
    bool receiveFails = false;
    NetworkLog log;

private:
    SimTime& sim_;
};

class FixedRandom final : public RandomSource {
public:
    bool Fill(void* data, size_t size) override {
        auto* p = static_cast<uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(0xA5 + i);
        return ok;
    }
    bool ok = true;
};

// A sound server: version 4, stratum 2, receive at the handling time, transmit `holdMs` later,
// the whole clock `offsetMs` ahead of the truth.
Answer Server(int64_t delayMs, int64_t offsetMs = 0, int64_t holdMs = 0) {
    return Answer{delayMs, [=](const SntpPacket& request, int64_t serverUnixMs) {
                      SntpPacket p;
                      p.liVnMode = 0x24;
                      p.stratum = 2;
                      p.originate = request.transmit;
                      p.receive = NtpOfUnixMs(serverUnixMs + offsetMs);
                      p.transmit = NtpOfUnixMs(serverUnixMs + offsetMs + holdMs);
                      const SntpBytes b = EncodeSntpPacket(p);
                      return Datagram(b.begin(), b.end());
                  }};
}

// A sound server answer changed by `change`.
Answer Altered(int64_t delayMs, std::function<void(SntpPacket&)> change, size_t size = kSntpPacketSize) {
    const Answer base = Server(delayMs);
    return Answer{delayMs, [=](const SntpPacket& request, int64_t serverUnixMs) {
                      Datagram d = base.make(request, serverUnixMs);
                      SntpPacket p = DecodeSntpPacket(d.data());
                      change(p);
                      const SntpBytes b = EncodeSntpPacket(p);
                      Datagram out(b.begin(), b.end());
                      out.resize(size);
                      return out;
                  }};
}

struct QueryResult {
    bool ok = false;
    std::string error;
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = -12345;
};

class SntpQueryTest : public ::testing::Test {
protected:
    QueryResult Run(const std::string& server = "ntp.example") {
        QueryResult r;
        r.error = "stale";
        const SntpPorts ports{network, clock, monotonic, random};
        r.ok = SntpQuery(ports, r.error, server, r.t1, r.t2, r.t3, r.t4, r.correct, r.roundTrip);
        return r;
    }

    void ExpectNoSocketLeft() const {
        EXPECT_EQ(network.log.alive, 0);
        EXPECT_EQ(network.log.closed, network.log.opened);
    }

    SimTime sim;
    test::SimMonotonic monotonic{sim};
    test::SimLocalClock clock{sim};
    FixedRandom random;
    ScriptedNetwork network{sim};
};

TEST_F(SntpQueryTest, SoundExchangeGivesFourTimesAndTheCorrectTime) {
    sim.wallStepMs = -1500;  // the PC is 1.5 s behind; the server tells the truth
    network.script = {Server(40, 0, 4)};
    const QueryResult r = Run("ntp.example");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(network.log.host, "ntp.example");
    EXPECT_EQ(network.log.port, 123);
    ASSERT_EQ(network.log.sent.size(), 1u);
    ASSERT_EQ(network.log.sent[0].size(), 48u);
    EXPECT_EQ(network.log.sent[0][0], 0x23);

    const int64_t t1Unix = test::kSimEpochUnix * 1000 - 1500;
    EXPECT_EQ(FormatDateTimeMs(r.t1), FormatDateTimeMs(LocalOfUnixMs(t1Unix)));
    EXPECT_EQ(FormatDateTimeMs(r.t4), FormatDateTimeMs(LocalOfUnixMs(t1Unix + 40)));
    EXPECT_EQ(DiffMilliseconds(r.t3, r.t2), 4);
    EXPECT_EQ(r.roundTrip, 36);
    // T3 = truth at 20 ms + 4 ms hold; plus 18 ms half round trip = the truth at T4 (40 ms).
    EXPECT_EQ(DiffMilliseconds(r.correct, r.t4), 1500 + 2);
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, TransmitTimestampCarriesT1AndRandomLowBits) {
    network.script = {Server(10)};
    const QueryResult r = Run();
    ASSERT_TRUE(r.ok);
    const SntpPacket sent = DecodeSntpPacket(network.log.sent[0].data());
    const NtpTimestamp t1 = ToNtpTimestamp(r.t1);
    EXPECT_EQ(sent.transmit.seconds, t1.seconds);
    EXPECT_EQ(sent.transmit.fraction & 0xFFFF0000u, t1.fraction);
    EXPECT_EQ(sent.transmit.fraction & 0xFFFFu, 0xA6A5u);  // the random source's two bytes
}

TEST_F(SntpQueryTest, NegativeRoundTripWhenTheServerHoldsLongerThanWeMeasured) {
    network.script = {Server(0, 0, 3)};
    const QueryResult r = Run();
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(DiffMilliseconds(r.t4, r.t1), 0);
    EXPECT_EQ(r.roundTrip, -3);
    EXPECT_EQ(DiffMilliseconds(r.correct, r.t3), -1);
}

TEST_F(SntpQueryTest, FailuresBeforeTheWaitSendNothing) {
    network.openOk = false;
    QueryResult r = Run();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "ソケットが作成できませんでした。");

    network.openOk = true;
    random.ok = false;
    r = Run();
    EXPECT_EQ(r.error, "ソケットが作成できませんでした。");
    EXPECT_EQ(network.log.opened, 0);

    random.ok = true;
    network.connectOk = false;
    r = Run("no.such.host");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "サーバーに接続できませんでした。");
    EXPECT_TRUE(network.log.sent.empty());
    EXPECT_EQ(r.roundTrip, -12345);
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, NoReplyFailsAtTheDeadline) {
    const QueryResult r = Run();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "受信エラー");
    EXPECT_GE(sim.nowMs, 2000);
    EXPECT_LE(sim.nowMs, 3000);
    EXPECT_EQ(r.roundTrip, -12345);
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, SettingTheWallClockDoesNotMoveTheDeadline) {
    // Ten minutes back and forward in the middle of the wait: the wait still ends on time.
    network.script = {Answer{1000, [this](const SntpPacket&, int64_t) {
                                 sim.wallStepMs = -600000;
                                 return Datagram(10, 0);
                             }},
                      Answer{1500, [this](const SntpPacket&, int64_t) {
                                 sim.wallStepMs = 600000;
                                 return Datagram(10, 0);
                             }}};
    const QueryResult r = Run();
    EXPECT_EQ(r.error, "受信エラー");
    EXPECT_EQ(sim.nowMs, kSntpReplyWaitMs);
}

TEST_F(SntpQueryTest, SocketErrorEndsTheWaitAtOnce) {
    network.receiveFails = true;  // an ICMP "port unreachable" from the server's host
    const QueryResult r = Run();
    EXPECT_EQ(r.error, "受信エラー");
    EXPECT_EQ(sim.nowMs, 0);
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, LateReplyFailsWithTheMeasuredDuration) {
    network.script = {Server(2350)};
    const QueryResult r = Run();
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "受信タイムアウトエラー 2350msec");
    EXPECT_EQ(r.roundTrip, -12345);

    network.script = {Server(1999)};
    EXPECT_TRUE(Run().ok);
    network.script = {Server(2000)};
    EXPECT_EQ(Run().error, "受信タイムアウトエラー 2000msec");
}

TEST_F(SntpQueryTest, DiscardedDatagramsAreSkippedUntilTheGenuineReply) {
    struct Case {
        const char* what;
        Answer bad;
    } cases[] = {
        {"spoofed originate", Altered(5, [](SntpPacket& p) { p.originate.fraction ^= 1; })},
        {"short", Altered(5, [](SntpPacket&) {}, 47)},
        {"client mode", Altered(5, [](SntpPacket& p) { p.liVnMode = 0x23; })},
        {"version 7", Altered(5, [](SntpPacket& p) { p.liVnMode = 0x3C; })},
        {"zero transmit", Altered(5, [](SntpPacket& p) { p.transmit = {0, 0}; })},
        {"transmit before receive", Altered(5, [](SntpPacket& p) { p.transmit.seconds -= 2; })},
        {"root dispersion 20 s", Altered(5, [](SntpPacket& p) { p.rootDispersion = 20u << 16; })},
    };
    for (const auto& c : cases) {
        sim.nowMs = 0;
        // The bad datagram comes first and carries a time 5 minutes off; the genuine one follows.
        Answer bad = c.bad;
        const auto makeBad = bad.make;
        bad.make = [makeBad](const SntpPacket& request, int64_t serverUnixMs) {
            return makeBad(request, serverUnixMs + 300000);
        };
        network.script = {bad, Server(30)};
        const QueryResult r = Run();
        ASSERT_TRUE(r.ok) << c.what << ": " << r.error;
        EXPECT_EQ(DiffMilliseconds(r.t4, r.t1), 30) << c.what;
        EXPECT_LT(std::abs(DiffMilliseconds(r.correct, r.t4)), 3) << c.what;
    }
    // Alone, a discarded datagram leaves the wait running to its end.
    sim.nowMs = 0;
    network.script = {Altered(5, [](SntpPacket&) {}, 47)};
    EXPECT_EQ(Run().error, "受信エラー");
    EXPECT_EQ(sim.nowMs, kSntpReplyWaitMs);
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, RefusalsEndTheExchangeAtOnce) {
    struct Case {
        const char* what;
        std::function<void(SntpPacket&)> change;
        std::string error;
    } cases[] = {
        {"RATE", [](SntpPacket& p) { p.liVnMode = 0xE4; p.stratum = 0; p.referenceId = 0x52415445; },
         "サーバーから拒否されました。（RATE）"},
        {"DENY", [](SntpPacket& p) { p.stratum = 0; p.referenceId = 0x44454E59; },
         "サーバーから拒否されました。（DENY）"},
        {"binary kiss", [](SntpPacket& p) { p.stratum = 0; p.referenceId = 0x00FF4101; },
         "サーバーから拒否されました。（??A?）"},
        {"leap 3", [](SntpPacket& p) { p.liVnMode = 0xE4; }, "サーバーが同期していません。"},
        {"stratum 16", [](SntpPacket& p) { p.stratum = 16; }, "サーバーが同期していません。"},
    };
    for (const auto& c : cases) {
        sim.nowMs = 0;
        network.script = {Altered(7, c.change), Server(20)};
        const QueryResult r = Run();
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_EQ(r.error, c.error) << c.what;
        EXPECT_EQ(sim.nowMs, 7) << c.what;
        EXPECT_EQ(r.roundTrip, -12345);
    }
    ExpectNoSocketLeft();
}

TEST_F(SntpQueryTest, ZeroSecondsDecodeIntoTheNextEra) {
    // A server that believes it is 2036-02-07 06:28:16 UTC (NTP seconds 0 of era 1).
    network.script = {Altered(4, [](SntpPacket& p) {
        p.receive = {0, 0x00010000u};
        p.transmit = {0, 0x00020000u};
    })};
    const QueryResult r = Run();
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(FormatDateTime(r.t3), FormatDateTime(LocalOfUnixMs(2085978496LL * 1000)));
    EXPECT_EQ(FormatDateTime(r.t2), FormatDateTime(LocalOfUnixMs(2085978496LL * 1000)));
}

}  // namespace
}  // namespace pelto
