#include "sync/time_sources.h"

#include "sync/http_time_client.h"

namespace pelto {

bool SystemTimeSources::QuerySntp(const std::string& server, std::string& error, const ExchangeTimes& times,
                                  int32_t& roundTrip) {
    return SntpQuery(sntp_, error, server, times.t1, times.t2, times.t3, times.t4, times.correct, roundTrip);
}

bool SystemTimeSources::QueryHttp(const std::string& url, std::string& error, const ExchangeTimes& times,
                                  int32_t& roundTrip) {
    HttpTimeClient client(http_, messages_, sntp_.clock);
    const bool ok =
        client.HttpTimeQuery(url, times.t1, times.t2, times.t3, times.t4, times.correct, roundTrip);
    if (!ok) error = client.m_error;
    return ok;
}

}  // namespace pelto
