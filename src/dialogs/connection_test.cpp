#include "dialogs/connection_test.h"

#include <cinttypes>
#include <cstdio>

#include "sync/time_arith.h"

namespace pelto {

std::string FormatTestResultLine(int32_t roundTripMs, int64_t pcAheadMs) {
    // The magnitude as an unsigned number, so even the most negative difference prints whole.
    const uint64_t magnitude =
        pcAheadMs >= 0 ? static_cast<uint64_t>(pcAheadMs) : 0 - static_cast<uint64_t>(pcAheadMs);
    char buf[160];
    std::snprintf(buf, sizeof buf, "通信時間:%d msec  %" PRIu64 "msec %s", static_cast<int>(roundTripMs),
                  magnitude, pcAheadMs >= 0 ? "進んでいます。" : "遅れています。");
    return buf;
}

void RunConnectionTest(LocalClock& clock, const SntpQueryFunction& query, ConnectionTestFields& test) {
    test.m_requestTime = clock.Now();
    int32_t roundTrip = 0;
    std::string error;
    const bool ok = query(error, test.m_server, test.m_requestTime, test.m_serverReceiveTime,
                          test.m_serverTransmitTime, test.m_replyTime, test.m_correctTime, roundTrip);
    test.m_resultLine = ok ? std::string() : error;
    test.m_requestTimeText = FormatDateTimeMs(test.m_requestTime);
    test.m_serverReceiveTimeText.clear();
    test.m_serverTransmitTimeText.clear();
    test.m_replyTimeText.clear();
    test.m_correctTimeText.clear();
    if (!ok) return;
    test.m_serverReceiveTimeText = FormatDateTimeMs(test.m_serverReceiveTime);
    test.m_serverTransmitTimeText = FormatDateTimeMs(test.m_serverTransmitTime);
    test.m_replyTimeText = FormatDateTimeMs(test.m_replyTime);
    test.m_correctTimeText = FormatDateTimeMs(test.m_correctTime);
    test.m_resultLine =
        FormatTestResultLine(roundTrip, DiffMilliseconds(test.m_replyTime, test.m_correctTime));
}

}  // namespace pelto
