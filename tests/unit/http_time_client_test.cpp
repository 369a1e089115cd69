// The HTTP time source over an in-memory HTTP port in simulated time: URL splitting, the body
// read in pieces, the page parser and the request's timing rules.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "platform/message_box.h"
#include "sim_time.h"
#include "sync/http_time_client.h"

namespace pelto {
namespace {

using test::LocalOfUnixMs;
using test::SimTime;

class RecordingMessageBox final : public MessageBoxPort {
public:
    void Show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

struct HttpLog {
    std::string host, path;
    int gets = 0;
    std::vector<size_t> readSizes;
    int alive = 0;
};

class FakeResponse final : public HttpResponse {
public:
    FakeResponse(std::string body, int failOnRead, HttpLog& log) : body_(std::move(body)), failOnRead_(failOnRead), log_(log) {
        ++log_.alive;
    }
    ~FakeResponse() override { --log_.alive; }
    bool Read(char* buffer, size_t size, size_t& got, std::string& description) override {
        log_.readSizes.push_back(size);
        if (static_cast<int>(log_.readSizes.size()) == failOnRead_) {
            description = "read broke";
            return false;
        }
        got = std::min(size, body_.size() - pos_);
        std::memcpy(buffer, body_.data() + pos_, got);
        pos_ += got;
        return true;
    }

private:
    std::string body_;
    size_t pos_ = 0;
    int failOnRead_;
    HttpLog& log_;
};

// Serves `body`, or without one a page with the true time at the middle of the request.
class FakeHttp final : public HttpPort {
public:
    explicit FakeHttp(SimTime& sim) : sim_(sim) {}
    std::unique_ptr<HttpResponse> Get(const std::string& host, const std::string& path,
                                      std::string& description) override {
        ++log.gets;
        log.host = host;
        log.path = path;
        if (!connectOk) {
            description = "connect broke";
            return nullptr;
        }
        std::string page = body.value_or("");
        if (!body) {
            const int64_t serverMs = sim_.TrueUnixMs() + durationMs / 2;
            char text[96];
            std::snprintf(text, sizeof text, "<html><body>\n%lld.%03lld\n</body></html>",
                          static_cast<long long>(serverMs / 1000 + kNtpUnixDelta),
                          static_cast<long long>(serverMs % 1000));
            page = text;
        }
        sim_.nowMs += durationMs;
        return std::make_unique<FakeResponse>(page, failOnRead, log);
    }

    std::optional<std::string> body;
    bool connectOk = true;
    int failOnRead = 0;
    int64_t durationMs = 30;
    HttpLog log;

private:
    SimTime& sim_;
};

class HttpTimeTest : public ::testing::Test {
protected:
    HttpTimeClient Client() { return HttpTimeClient(http, boxes, clock); }

    SimTime sim;
    test::SimLocalClock clock{sim};
    FakeHttp http{sim};
    RecordingMessageBox boxes;
};

TEST(HttpUrl, HostAndPath) {
    struct Case { const char* url; const char* host; const char* path; } cases[] = {
        {"http://time.example.jp/cgi-bin/now", "time.example.jp", "/cgi-bin/now"},
        {"time.example.jp/cgi-bin/now", "time.example.jp", "/cgi-bin/now"},
        {"http://time.example.jp", "time.example.jp", ""},
        {"time.example.jp", "time.example.jp", ""},
        {"https://time.example.jp/now", "https:", "//time.example.jp/now"},
        {"http://time.example.jp:8080/now", "time.example.jp:8080", "/now"},
        {"http://", "", ""},
        {"", "", ""},
        {"see http://x/y", "p:", "//x/y"},  // "http://" anywhere skips the first seven characters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpTimeClient::UrlHost(c.url), c.host) << c.url;
        EXPECT_EQ(HttpTimeClient::UrlPath(c.url), c.path) << c.url;
    }
}

TEST_F(HttpTimeTest, EmptyHostRequestsNothing) {
    HttpTimeClient client = Client();
    EXPECT_EQ(client.HttpGetText("http:///now"), "");
    EXPECT_EQ(client.m_error, "");
    EXPECT_EQ(http.log.gets, 0);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HttpTimeTest, ConnectionAndReadFailuresShowTheSystemsDescription) {
    http.connectOk = false;
    HttpTimeClient client = Client();
    EXPECT_EQ(client.HttpGetText("https://time.example.jp/now"), "");
    EXPECT_EQ(http.log.host, "https:");
    EXPECT_EQ(client.m_error, "http接続ができない");
    EXPECT_EQ(boxes.shown, std::vector<std::string>{"connect broke"});

    http.connectOk = true;
    http.body = std::string(1000, 'x');
    http.failOnRead = 2;
    HttpTimeClient second = Client();
    EXPECT_EQ(second.HttpGetText("time.example.jp/now"), "");
    EXPECT_EQ(second.m_error, "ファイル読み込みができない");
    EXPECT_EQ(boxes.shown.back(), "read broke");
    EXPECT_EQ(http.log.alive, 0);  // request, connection and session closed
}

TEST_F(HttpTimeTest, BodyIsReadInPiecesUpTo2250Bytes) {
    struct Case { size_t body; size_t text; size_t reads; } cases[] = {
        {0, 0, 1}, {100, 100, 1}, {250, 250, 2}, {500, 500, 3}, {600, 600, 3},
        {2000, 2000, 9}, {2250, 2250, 9}, {3000, 2250, 9}, {10u << 20, 2250, 9},
    };
    for (const auto& c : cases) {
        http.body = std::string(c.body, 'a');
        http.log.readSizes.clear();
        HttpTimeClient client = Client();
        EXPECT_EQ(client.HttpGetText("http://h/p").size(), c.text) << c.body;
        EXPECT_EQ(http.log.readSizes.size(), c.reads) << c.body;
        for (size_t n : http.log.readSizes) EXPECT_EQ(n, 250u);
    }
    EXPECT_EQ(http.log.path, "/p");
}

TEST_F(HttpTimeTest, ZeroByteEndsTheTextOfItsPieceOnly) {
    std::string body = "<BODY>3913056000";
    body += '\0';
    body += "junk";
    body.resize(250, 'z');
    body += ".123</BODY>";
    http.body = body;
    HttpTimeClient client = Client();
    EXPECT_EQ(client.HttpGetText("h/"), "<BODY>3913056000.123</BODY>");
}

TEST_F(HttpTimeTest, ParsesTheTimeBetweenTheBodyTags) {
    struct Case {
        const char* what;
        std::string text;
        bool ok;
        int64_t seconds;
        uint16_t ms;
    } cases[] = {
        {"upper case", "<HTML><BODY>3913056000.123</BODY></HTML>", true, 1704067200, 123},
        {"lower case, line breaks", "<html><body>\r\n3913056000.123\r\n</body></html>", true, 1704067200, 123},
        {"blanks, sign and junk", "<Body> \t +3913056000xyz:007 </bOdY>", true, 1704067200, 7},
        {"any separator byte", "<body>3913056001\x82" "999</body>", true, 1704067201, 999},
        {"the epoch", "<body>2208988800.000</body>", true, 0, 0},
        {"after 2036", "<body>4294967295.500</body>", true, 2085978495, 500},
        {"just milliseconds", "<body>123</body>", false, 0, 0},
        {"before 1970", "<body>2208988799.999</body>", false, 0, 0},
        {"negative seconds", "<body>-3913056000.123</body>", false, 0, 0},
        {"minus in milliseconds", "<body>3913056000.-12</body>", false, 0, 0},
        {"milliseconds not digits", "<body>3913056000.abc</body>", true, 1704067200, 0},
        {"no closing tag", "<body>3913056000.123", false, 0, 0},
        {"no opening tag", "3913056000.123</body>", false, 0, 0},
        {"closing tag first", "</body><body>3913056000.123", false, 0, 0},
        {"empty", "", false, 0, 0},
        {"huge number", "<body>99999999999999999999999.123</body>", false, 0, 0},
        {"binary around", std::string("\x01\xff\x80<body>3913056000.123</body>\x00\xfe", 32), true, 1704067200, 123},
    };
    for (const auto& c : cases) {
        HttpTimeClient client = Client();
        SystemTime t{};
        const bool ok = client.ParseHttpTime(c.text, t);
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(client.m_error, "") << c.what;
        if (!ok || !c.ok) continue;
        EXPECT_EQ(client.m_seconds, c.seconds) << c.what;
        EXPECT_EQ(FormatDateTimeMs(t), FormatDateTimeMs(LocalOfUnixMs(c.seconds * 1000 + c.ms))) << c.what;
    }
}

TEST_F(HttpTimeTest, QueryEstimatesTheCorrectTimeFromTheWholeDuration) {
    sim.wallStepMs = 4000;  // the PC is 4 s ahead
    http.durationMs = 30;
    HttpTimeClient client = Client();
    client.m_error = "left over";
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = -1;
    ASSERT_TRUE(client.HttpTimeQuery("http://time.example.jp/now", t1, t2, t3, t4, correct, roundTrip));
    EXPECT_EQ(client.m_error, "");
    EXPECT_EQ(http.log.host, "time.example.jp");
    EXPECT_EQ(http.log.path, "/now");
    EXPECT_EQ(t2, t3);
    EXPECT_EQ(roundTrip, 30);
    EXPECT_EQ(DiffMilliseconds(t4, t1), 30);
    EXPECT_EQ(DiffMilliseconds(correct, t3), 15);
    EXPECT_EQ(DiffMilliseconds(correct, t4), -4000);
}

TEST_F(HttpTimeTest, QueryFailures) {
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = -1;

    http.durationMs = 2000;  // a time was read, but too late to use
    HttpTimeClient slow = Client();
    EXPECT_FALSE(slow.HttpTimeQuery("h/", t1, t2, t3, t4, correct, roundTrip));
    EXPECT_EQ(slow.m_error, "受信タイムアウトエラー");
    EXPECT_EQ(roundTrip, -1);

    http.durationMs = 1999;
    HttpTimeClient justInTime = Client();
    EXPECT_TRUE(justInTime.HttpTimeQuery("h/", t1, t2, t3, t4, correct, roundTrip));
    EXPECT_EQ(roundTrip, 1999);

    // The closing tag lies beyond the 2250 bytes that are read: no time, no text.
    http.body = "<body>3913056000.123" + std::string(3000, ' ') + "</body>";
    HttpTimeClient truncated = Client();
    EXPECT_FALSE(truncated.HttpTimeQuery("h/", t1, t2, t3, t4, correct, roundTrip));
    EXPECT_EQ(truncated.m_error, "");
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace pelto
