// UDP over Winsock. The socket layer itself is started once by the application at start-up.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

#include "platform/datagram_port.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

class WinsockDatagramSocket final : public DatagramSocket {
public:
    explicit WinsockDatagramSocket(SOCKET s) : s_(s) {}
    ~WinsockDatagramSocket() override { Close(); }
    WinsockDatagramSocket(const WinsockDatagramSocket&) = delete;
    WinsockDatagramSocket& operator=(const WinsockDatagramSocket&) = delete;

    bool Connect(const std::string& host, uint16_t port) override {
        if (s_ == INVALID_SOCKET || host.empty()) return false;
        ADDRINFOW hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        ADDRINFOW* list = nullptr;
        if (GetAddrInfoW(Widen(host).c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return false;
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_addr = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
        peer.sin_port = htons(port);
        FreeAddrInfoW(list);
        return connect(s_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    }

    bool Send(const uint8_t* data, size_t size) override {
        return s_ != INVALID_SOCKET &&
               send(s_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0) == static_cast<int>(size);
    }

    Wait WaitReadable(int64_t timeoutMs) override {
        if (s_ == INVALID_SOCKET) return Wait::kError;
        if (timeoutMs < 0) timeoutMs = 0;
        if (timeoutMs > INT_MAX) timeoutMs = INT_MAX;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s_, &readable);
        timeval tv{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
        const int n = select(0, &readable, nullptr, nullptr, &tv);
        if (n > 0) return Wait::kReadable;
        return n == 0 ? Wait::kTimeout : Wait::kError;
    }

    int64_t Receive(uint8_t* buffer, size_t capacity) override {
        if (s_ == INVALID_SOCKET) return kFailed;
        const int n = recv(s_, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0);
        if (n >= 0) return n;
        switch (WSAGetLastError()) {
            case WSAEWOULDBLOCK: return kWouldBlock;
            case WSAEMSGSIZE: return static_cast<int64_t>(capacity);  // the datagram was cut
            default: return kFailed;
        }
    }

    void Close() override {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    SOCKET s_;
};

class WinsockDatagramPort final : public DatagramPort {
public:
    std::unique_ptr<DatagramSocket> Open() override {
        const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return nullptr;
        auto sock = std::make_unique<WinsockDatagramSocket>(s);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (bind(s, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) return nullptr;
        u_long nonBlocking = 1;
        if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return nullptr;
        return sock;
    }
};

}  // namespace

DatagramPort& SystemDatagramPort() {
    static WinsockDatagramPort port;
    return port;
}

}  // namespace pelto
