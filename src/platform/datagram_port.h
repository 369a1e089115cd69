#pragma once
// A connected IPv4 UDP socket, as the SNTP exchange needs it. The socket is closed when the
// object goes; Close may also be called earlier and more than once.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pelto {

class DatagramSocket {
public:
    enum class Wait { kReadable, kTimeout, kError };
    static constexpr int64_t kWouldBlock = -2;
    static constexpr int64_t kFailed = -1;

    virtual ~DatagramSocket() = default;
    // host is a dotted IPv4 address or a name (the first IPv4 address of the answer is used).
    // Only fixes the peer: nothing is sent. False when the lookup or the connect fails.
    virtual bool Connect(const std::string& host, uint16_t port) = 0;
    virtual bool Send(const uint8_t* data, size_t size) = 0;
    // Blocks until a datagram can be read or timeoutMs have passed.
    virtual Wait WaitReadable(int64_t timeoutMs) = 0;
    // Takes one datagram: its size (a longer one is cut at capacity), kWouldBlock when none is
    // waiting, kFailed on an error (such as the peer's port being unreachable).
    virtual int64_t Receive(uint8_t* buffer, size_t capacity) = 0;
    virtual void Close() = 0;
};

class DatagramPort {
public:
    virtual ~DatagramPort() = default;
    // A new non-blocking UDP socket bound to any local address and an ephemeral port; null when
    // the system refuses one.
    virtual std::unique_ptr<DatagramSocket> Open() = 0;
};

// Winsock on Windows (the socket layer is started by the application), BSD sockets elsewhere.
DatagramPort& SystemDatagramPort();

}  // namespace pelto
