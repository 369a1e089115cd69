#pragma once
// The UDP socket of one SNTP exchange. It owns its socket for one exchange: the socket is closed
// by Close or, on any path that skips it, by the destructor.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/datagram_port.h"
#include "platform/monotonic_clock.h"

namespace pelto {

class CClientSocket {
public:
    CClientSocket(DatagramPort& network, MonotonicClock& monotonic);
    ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    // A UDP socket bound to any local address and an ephemeral port.
    bool Create();
    // Fixes the peer (dotted IPv4 address or host name); sends nothing.
    bool Connect(const std::string& host, uint16_t port);
    // Sends the buffer; always 1 (a lost datagram shows as a missing reply).
    int SendPacket(const uint8_t* buffer, size_t length);
    // Blocks until one datagram has been taken into buffer (its size in `size`, at most capacity)
    // or the monotonic clock reaches deadlineMs. False at the deadline or on a socket error.
    bool ReceiveWithTimeout(uint8_t* buffer, size_t capacity, int64_t deadlineMs, size_t& size);
    void Close();

private:
    DatagramPort& network_;
    MonotonicClock& monotonic_;
    std::unique_ptr<DatagramSocket> socket_;
};

}  // namespace pelto
