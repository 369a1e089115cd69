#pragma once
// The time from a web page: GET on port 80, NTP seconds and milliseconds between "<BODY>" and
// "</BODY>", and the correct local time estimated from the request's duration. One object per
// request; the caller reads m_error after a failure (it may be empty).
#include <cstdint>
#include <string>

#include "platform/http_port.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "platform/system_time.h"

namespace pelto {

class HttpTimeClient {
public:
    // Pieces the body is read in, and the running total after which no further piece is read
    // (so at most 2250 bytes are taken).
    static constexpr size_t kReadPiece = 250;
    static constexpr size_t kReadThreshold = 2048;

    HttpTimeClient(HttpPort& http, MessageBoxPort& messages, LocalClock& clock)
        : http_(http), messages_(messages), clock_(clock) {}

    // T2 and T3 both receive the page's time; the whole duration serves as the round trip.
    bool HttpTimeQuery(const std::string& url, SystemTime& t1, SystemTime& t2, SystemTime& t3, SystemTime& t4,
                       SystemTime& correct, int32_t& roundTrip);
    // The start of the body as text, or "" on failure (m_error set and the system's description
    // shown when the connection or the read failed; m_error unchanged for an empty host).
    std::string HttpGetText(const std::string& url);
    // The page's time in local calendar fields and m_seconds; never sets m_error.
    bool ParseHttpTime(const std::string& text, SystemTime& t);

    // [http://]host[/path]: host up to the first "/" after the scheme, path from it on.
    static std::string UrlHost(const std::string& url);
    static std::string UrlPath(const std::string& url);

    std::string m_error;
    int64_t m_seconds = 0;  // seconds since 1970 of the page's time

private:
    HttpPort& http_;
    MessageBoxPort& messages_;
    LocalClock& clock_;
};

}  // namespace pelto
