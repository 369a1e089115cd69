// The connection test of the test dialog: its result line, and one exchange's texts on success,
// on failure, and on a failure after a success.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "dialogs/connection_test.h"
#include "sim_time.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

TEST(ConnectionTest, ResultLine) {
    const struct {
        int32_t roundTrip;
        int64_t ahead;
        const char* line;
    } cases[] = {
        {12, 3, "通信時間:12 msec  3msec 進んでいます。"},
        {40, -1250, "通信時間:40 msec  1250msec 遅れています。"},
        {0, 0, "通信時間:0 msec  0msec 進んでいます。"},  // zero counts as ahead
        {5, 3000000000LL, "通信時間:5 msec  3000000000msec 進んでいます。"},
        {5, -2147483649LL, "通信時間:5 msec  2147483649msec 遅れています。"},
        {1, std::numeric_limits<int64_t>::min(), "通信時間:1 msec  9223372036854775808msec 遅れています。"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTestResultLine(c.roundTrip, c.ahead), c.line) << c.ahead;
}

// A scripted exchange: its outcome and the times and round trip it reports.
struct Script {
    bool ok = true;
    bool sends = true;  // stamps T1 before it fails
    std::string error;
    SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = 0;
    std::string server;  // what it was asked
    int calls = 0;

    SntpQueryFunction Function() {
        return [this](std::string& err, std::string host, SystemTime& q1, SystemTime& q2, SystemTime& q3,
                      SystemTime& q4, SystemTime& qc, int32_t& rt) {
            ++calls;
            server = host;
            err.clear();
            if (sends) q1 = t1;
            if (!ok) {
                err = error;
                return false;
            }
            q2 = t2;
            q3 = t3;
            q4 = t4;
            qc = correct;
            rt = roundTrip;
            return true;
        };
    }
};

SystemTime At(int hour, int minute, int second, int ms) {
    return SystemTime{2024,
                      3,
                      2,
                      5,
                      static_cast<uint16_t>(hour),
                      static_cast<uint16_t>(minute),
                      static_cast<uint16_t>(second),
                      static_cast<uint16_t>(ms)};
}

class ConnectionTestRun : public ::testing::Test {
protected:
    test::SimTime sim;
    test::SimLocalClock clock{sim};
    ConnectionTestFields fields;
    Script script;

    void SetUp() override {
        fields.m_server = "127.0.0.1";
        script.t1 = At(9, 0, 0, 0);
        script.t2 = At(9, 0, 2, 5);
        script.t3 = At(9, 0, 2, 6);
        script.t4 = At(9, 0, 0, 12);
        script.correct = At(9, 0, 2, 12);
        script.roundTrip = 11;
    }
};

TEST_F(ConnectionTestRun, SuccessShowsFiveTimesAndHowFarThePcIsBehind) {
    RunConnectionTest(clock, script.Function(), fields);
    EXPECT_EQ(script.server, "127.0.0.1");
    EXPECT_EQ(fields.m_requestTimeText, " 2024/ 3/ 5 09:00:00.000");
    EXPECT_EQ(fields.m_serverReceiveTimeText, " 2024/ 3/ 5 09:00:02.005");
    EXPECT_EQ(fields.m_serverTransmitTimeText, " 2024/ 3/ 5 09:00:02.006");
    EXPECT_EQ(fields.m_replyTimeText, " 2024/ 3/ 5 09:00:00.012");
    EXPECT_EQ(fields.m_correctTimeText, " 2024/ 3/ 5 09:00:02.012");
    EXPECT_EQ(fields.m_resultLine, "通信時間:11 msec  2000msec 遅れています。");
}

TEST_F(ConnectionTestRun, FailureAfterASuccessLeavesOnlyT1AndTheErrorText) {
    RunConnectionTest(clock, script.Function(), fields);
    script.ok = false;
    script.error = "受信エラー";
    script.t1 = At(9, 1, 0, 0);
    RunConnectionTest(clock, script.Function(), fields);
    EXPECT_EQ(fields.m_requestTimeText, " 2024/ 3/ 5 09:01:00.000");
    EXPECT_EQ(fields.m_serverReceiveTimeText, "");
    EXPECT_EQ(fields.m_serverTransmitTimeText, "");
    EXPECT_EQ(fields.m_replyTimeText, "");
    EXPECT_EQ(fields.m_correctTimeText, "");
    EXPECT_EQ(fields.m_resultLine, "受信エラー");
    EXPECT_EQ(script.calls, 2);
}

TEST_F(ConnectionTestRun, FailureBeforeSendingShowsWhenTheAttemptStarted) {
    script.ok = false;
    script.sends = false;
    script.error = "サーバーに接続できませんでした。";
    fields.m_server = "";
    RunConnectionTest(clock, script.Function(), fields);
    EXPECT_EQ(fields.m_requestTimeText, FormatDateTimeMs(test::LocalOfUnixMs(sim.WallUnixMs())));
    EXPECT_EQ(fields.m_resultLine, "サーバーに接続できませんでした。");
    EXPECT_EQ(fields.m_correctTimeText, "");
}

}  // namespace
}  // namespace pelto
