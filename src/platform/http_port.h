#pragma once
// One HTTP GET to port 80, read in pieces. The Windows implementation is WinINet with the
// session's agent "http NTP", the reload flag and the added headers "Accept: text/*" and
// "User-Agent: Pelto_NTP" (each only where the request has none yet); connect, send and receive
// time out after a few seconds.
#include <cstddef>
#include <memory>
#include <string>

namespace pelto {

class HttpResponse {
public:
    virtual ~HttpResponse() = default;  // closes the request, the connection and the session
    // Reads up to size bytes of the body; fewer only at its end. False with the system's
    // description of the failure.
    virtual bool Read(char* buffer, size_t size, size_t& got, std::string& description) = 0;
};

class HttpPort {
public:
    virtual ~HttpPort() = default;
    // Connects to host on port 80 and sends GET path. Null with the system's description (code
    // page 932 text) when the connection, the request or the send fails.
    virtual std::unique_ptr<HttpResponse> Get(const std::string& host, const std::string& path,
                                              std::string& description) = 0;
};

HttpPort& SystemHttpPort();

}  // namespace pelto
