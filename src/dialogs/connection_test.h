#pragma once
// One connection test of the test dialog, free of the window system: one SNTP exchange with the
// server, its times as texts and the result line. A test only shows: it sets no clock, logs
// nothing and changes no setting.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/local_clock.h"
#include "platform/system_time.h"

namespace pelto {

// "通信時間:12 msec  3msec 進んでいます。": the round trip, then how far the PC clock is ahead of
// (pcAheadMs >= 0) or behind the correct time, the magnitude printed whole.
std::string FormatTestResultLine(int32_t roundTripMs, int64_t pcAheadMs);

// The exchange: SntpQuery's arguments after its ports.
using SntpQueryFunction =
    std::function<bool(std::string& error, std::string server, SystemTime& t1, SystemTime& t2, SystemTime& t3,
                       SystemTime& t4, SystemTime& correct, int32_t& roundTrip)>;

// The members of the test dialog.
struct ConnectionTestFields {
    SystemTime m_requestTime;         // T1
    SystemTime m_serverReceiveTime;   // T2
    SystemTime m_serverTransmitTime;  // T3
    SystemTime m_replyTime;           // T4
    SystemTime m_correctTime;
    std::string m_serverLabel;
    std::string m_server;
    std::string m_requestTimeText;
    std::string m_serverReceiveTimeText;
    std::string m_serverTransmitTimeText;
    std::string m_replyTimeText;
    std::string m_correctTimeText;
    std::string m_resultLine;
};

// Runs one exchange with m_server and replaces every result text: on success the five times and
// the result line, on failure T1 (when the attempt started, or when the request went out) and the
// error text, the other four emptied.
void RunConnectionTest(LocalClock& clock, const SntpQueryFunction& query, ConnectionTestFields& test);

}  // namespace pelto
