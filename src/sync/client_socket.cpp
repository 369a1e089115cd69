#include "sync/client_socket.h"

namespace pelto {

CClientSocket::CClientSocket(DatagramPort& network, MonotonicClock& monotonic)
    : network_(network), monotonic_(monotonic) {}

CClientSocket::~CClientSocket() { Close(); }

bool CClientSocket::Create() {
    socket_ = network_.Open();
    return socket_ != nullptr;
}

bool CClientSocket::Connect(const std::string& host, uint16_t port) {
    return socket_ != nullptr && socket_->Connect(host, port);
}

int CClientSocket::SendPacket(const uint8_t* buffer, size_t length) {
    if (socket_) socket_->Send(buffer, length);
    return 1;
}

bool CClientSocket::ReceiveWithTimeout(uint8_t* buffer, size_t capacity, int64_t deadlineMs, size_t& size) {
    if (!socket_) return false;
    // Sleeps in the system until something arrives; the deadline is on the monotonic clock, so
    // setting the wall clock meanwhile neither ends the wait early nor stretches it.
    for (;;) {
        const int64_t remaining = deadlineMs - monotonic_.NowMs();
        if (remaining <= 0) return false;
        switch (socket_->WaitReadable(remaining)) {
            case DatagramSocket::Wait::kTimeout: continue;  // re-check against the deadline
            case DatagramSocket::Wait::kError: return false;
            case DatagramSocket::Wait::kReadable: break;
        }
        const int64_t n = socket_->Receive(buffer, capacity);
        if (n == DatagramSocket::kWouldBlock) continue;
        if (n < 0) return false;  // e.g. the server's port is closed: no reply will come
        size = static_cast<size_t>(n);
        return true;
    }
}

void CClientSocket::Close() {
    if (socket_) socket_->Close();
    socket_.reset();
}

}  // namespace pelto
