// The HTTP time source over the real HTTP client (WinINet on Windows) against the loopback time
// page of the test tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "peers.h"
#include "platform/http_port.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "sync/http_time_client.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

using test::FindPeer;
using test::SteadyMs;

class RecordingMessageBox final : public MessageBoxPort {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

struct Outcome {
    bool ok = false;
    std::string error;
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = -99999;
    int64_t elapsedMs = 0;
    std::vector<std::string> boxes;
};

Outcome Query(const std::string& url) {
    RecordingMessageBox boxes;
    HttpTimeClient client(SystemHttpPort(), boxes, SystemLocalClock());
    Outcome o;
    const int64_t start = SteadyMs();
    o.ok = client.HttpTimeQuery(url, o.t1, o.t2, o.t3, o.t4, o.correct, o.roundTrip);
    o.elapsedMs = SteadyMs() - start;
    o.error = client.m_error;
    o.boxes = boxes.shown;
    return o;
}

std::string Url(const std::string& path) { return "http://" + FindPeer("http").address + path; }

void ExpectCurrentTime(const Outcome& o) {
    ASSERT_TRUE(o.ok) << o.error;
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.t2, o.t3);
    EXPECT_GE(o.roundTrip, 0);
    EXPECT_LT(o.roundTrip, 2000);  // loopback, with room for a machine busy with other work
    EXPECT_EQ(o.roundTrip, DiffMilliseconds(o.t4, o.t1));
    // The page's time lies between T1 and T4, so the estimate is off by at most half the
    // duration (plus the page's truncation to the millisecond).
    EXPECT_LE(std::llabs(DiffMilliseconds(o.correct, o.t4)), 3 + o.roundTrip / 2)
        << FormatDateTimeMs(o.correct) << " vs" << FormatDateTimeMs(o.t4);
    EXPECT_TRUE(o.boxes.empty());
}

TEST(HttpPeer, TimePageGivesTheCurrentTime) {
    ExpectCurrentTime(Query(Url("/")));
    ExpectCurrentTime(Query(FindPeer("http").address));  // no scheme, no path
}

TEST(HttpPeer, OnlyTheStartOfAHugeBodyIsRead) {
    const Outcome o = Query(Url("/big"));  // 10 MB after the time
    ExpectCurrentTime(o);
}

TEST(HttpPeer, ClosingTagBeyondWhatIsReadFailsWithoutText) {
    const Outcome o = Query(Url("/late-close"));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "");
    EXPECT_TRUE(o.boxes.empty());
}

TEST(HttpPeer, SlowPageFailsWithTheTimeoutText) {
    const Outcome o = Query(Url("/slow"));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "受信タイムアウトエラー");
    EXPECT_GE(DiffMilliseconds(o.t4, o.t1), 2000);
}

TEST(HttpPeer, SendsTheAcceptHeaderAndAnAgent) {
    RecordingMessageBox boxes;
    HttpTimeClient client(SystemHttpPort(), boxes, SystemLocalClock());
    const std::string text = client.HttpGetText(Url("/headers"));
    EXPECT_NE(text.find("Accept: text/*"), std::string::npos) << text;
    EXPECT_NE(text.find("User-Agent: "), std::string::npos) << text;
    EXPECT_TRUE(text.find("User-Agent: http NTP") != std::string::npos ||
                text.find("User-Agent: Pelto_NTP") != std::string::npos)
        << text;
}

TEST(HttpPeer, RefusedConnectionShowsTheSystemsDescription) {
    // The same /24 as the time page, one address on which nothing listens.
    std::string address = FindPeer("http").address;
    address = address.substr(0, address.rfind('.')) + ".5";
    const Outcome o = Query("http://" + address + "/");
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.error, "http接続ができない");
    ASSERT_EQ(o.boxes.size(), 1u);
    EXPECT_FALSE(o.boxes[0].empty());
}

TEST(HttpPeer, SilentServerTimesOutInSeconds) {
    // Far below the platform's default of a minute and more: the clock must not freeze.
    const Outcome o = Query(Url("/silent"));
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.error == "http接続ができない" || o.error == "ファイル読み込みができない") << o.error;
    EXPECT_EQ(o.boxes.size(), 1u);
    EXPECT_LT(o.elapsedMs, 20000);
}

}  // namespace
}  // namespace pelto
