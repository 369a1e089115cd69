// UDP over BSD sockets, for the native build (tests against loopback peers).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/datagram_port.h"

namespace pelto {
namespace {

class PosixDatagramSocket final : public DatagramSocket {
public:
    explicit PosixDatagramSocket(int fd) : fd_(fd) {}
    ~PosixDatagramSocket() override { Close(); }
    PosixDatagramSocket(const PosixDatagramSocket&) = delete;
    PosixDatagramSocket& operator=(const PosixDatagramSocket&) = delete;

    bool Connect(const std::string& host, uint16_t port) override {
        if (fd_ < 0 || host.empty()) return false;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* list = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return false;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_addr = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
        peer.sin_port = htons(port);
        freeaddrinfo(list);
        return connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    }

    bool Send(const uint8_t* data, size_t size) override {
        return fd_ >= 0 && send(fd_, data, size, 0) == static_cast<ssize_t>(size);
    }

    Wait WaitReadable(int64_t timeoutMs) override {
        if (fd_ < 0) return Wait::kError;
        pollfd p{fd_, POLLIN, 0};
        const int ms = timeoutMs <= 0 ? 0 : timeoutMs > INT_MAX ? INT_MAX : static_cast<int>(timeoutMs);
        const int n = poll(&p, 1, ms);
        if (n > 0) return Wait::kReadable;
        if (n == 0) return Wait::kTimeout;
        return errno == EINTR ? Wait::kTimeout : Wait::kError;
    }

    int64_t Receive(uint8_t* buffer, size_t capacity) override {
        if (fd_ < 0) return kFailed;
        const ssize_t n = recv(fd_, buffer, capacity, 0);
        if (n >= 0) return n;
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? kWouldBlock : kFailed;
    }

    void Close() override {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

class PosixDatagramPort final : public DatagramPort {
public:
    std::unique_ptr<DatagramSocket> Open() override {
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return nullptr;
        auto sock = std::make_unique<PosixDatagramSocket>(fd);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) return nullptr;
        return sock;
    }
};

}  // namespace

DatagramPort& SystemDatagramPort() {
    static PosixDatagramPort port;
    return port;
}

}  // namespace pelto
