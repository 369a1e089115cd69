#pragma once
// Where a synchronisation gets its time: an SNTP server or an HTTP time page. One call is one
// exchange; on success the four times of the exchange, the estimated correct local time and the
// round trip are set, on failure `error` holds the Japanese text to log (possibly empty).
#include <cstdint>
#include <string>

#include "platform/http_port.h"
#include "platform/message_box.h"
#include "sync/sntp_query.h"

namespace pelto {

struct ExchangeTimes {
    SystemTime& t1;
    SystemTime& t2;
    SystemTime& t3;
    SystemTime& t4;
    SystemTime& correct;
};

class TimeSources {
public:
    virtual ~TimeSources() = default;
    virtual bool QuerySntp(const std::string& server, std::string& error, const ExchangeTimes& times,
                           int32_t& roundTrip) = 0;
    virtual bool QueryHttp(const std::string& url, std::string& error, const ExchangeTimes& times,
                           int32_t& roundTrip) = 0;
};

// The real sources: SntpQuery over the given ports, and a fresh HttpTimeClient per page request
// reading its times from the same clock.
class SystemTimeSources final : public TimeSources {
public:
    SystemTimeSources(const SntpPorts& sntp, HttpPort& http, MessageBoxPort& messages)
        : sntp_(sntp), http_(http), messages_(messages) {}

    bool QuerySntp(const std::string& server, std::string& error, const ExchangeTimes& times,
                   int32_t& roundTrip) override;
    bool QueryHttp(const std::string& url, std::string& error, const ExchangeTimes& times,
                   int32_t& roundTrip) override;

private:
    SntpPorts sntp_;
    HttpPort& http_;
    MessageBoxPort& messages_;
};

}  // namespace pelto
