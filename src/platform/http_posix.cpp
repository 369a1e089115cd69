// A plain HTTP/1.0 GET over a TCP socket, for the native build: enough for a time page served on
// the loopback interface. It sends the headers the Windows client ends up sending (the session's
// agent is the User-Agent there) and hands back the body only.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/http_port.h"

namespace pelto {
namespace {

constexpr uint16_t kHttpPort = 80;
constexpr int kTimeoutMs = 5000;

std::string Describe(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    int n;
    do {
        n = poll(&p, 1, kTimeoutMs);
    } while (n < 0 && errno == EINTR);
    return n > 0;
}

class PosixHttpResponse final : public HttpResponse {
public:
    PosixHttpResponse(int fd, std::string pending) : fd_(fd), pending_(std::move(pending)) {}

    bool Read(char* buffer, size_t size, size_t& got, std::string& description) override {
        got = 0;
        while (got < size) {
            if (!pending_.empty()) {
                const size_t n = std::min(size - got, pending_.size());
                std::memcpy(buffer + got, pending_.data(), n);
                pending_.erase(0, n);
                got += n;
                continue;
            }
            if (ended_) break;
            std::string more;
            if (!Receive(more, description)) return false;
            if (more.empty()) ended_ = true;
            pending_ = std::move(more);
        }
        return true;
    }

    // Next bytes of the stream; empty at its end.
    bool Receive(std::string& out, std::string& description) {
        if (!WaitFor(fd_.get(), POLLIN)) {
            description = "receive: timed out";
            return false;
        }
        char chunk[4096];
        ssize_t n;
        do {
            n = recv(fd_.get(), chunk, sizeof chunk, 0);
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            description = Describe("receive", errno);
            return false;
        }
        out.assign(chunk, static_cast<size_t>(n));
        return true;
    }

    // Drops the status line and the headers.
    bool SkipHeaders(std::string& description) {
        std::string head;
        for (;;) {
            const size_t end = head.find("\r\n\r\n");
            if (end != std::string::npos) {
                pending_ = head.substr(end + 4);
                return true;
            }
            std::string more;
            if (!Receive(more, description)) return false;
            if (more.empty()) {
                description = "receive: connection closed before the headers ended";
                return false;
            }
            head += more;
        }
    }

private:
    Fd fd_;
    std::string pending_;
    bool ended_ = false;
};

class PosixHttpPort final : public HttpPort {
public:
    std::unique_ptr<HttpResponse> Get(const std::string& host, const std::string& path,
                                      std::string& description) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &list);
        if (rc != 0 || list == nullptr) {
            description = std::string("name lookup: ") + gai_strerror(rc);
            return nullptr;
        }
        sockaddr_in peer = *reinterpret_cast<const sockaddr_in*>(list->ai_addr);
        freeaddrinfo(list);
        peer.sin_port = htons(kHttpPort);

        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            description = Describe("socket", errno);
            return nullptr;
        }
        auto response = std::make_unique<PosixHttpResponse>(fd, std::string());
        if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
            const int started = errno;
            if (started != EINPROGRESS) {
                description = Describe("connect", started);
                return nullptr;
            }
            if (!WaitFor(fd, POLLOUT)) {
                description = Describe("connect", ETIMEDOUT);
                return nullptr;
            }
            int error = 0;
            socklen_t len = sizeof error;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
            if (error != 0) {
                description = Describe("connect", error);
                return nullptr;
            }
        }
        const std::string request = "GET " + (path.empty() ? std::string("/") : path) +
                                    " HTTP/1.0\r\nHost: " + host +
                                    "\r\nUser-Agent: http NTP\r\nAccept: text/*\r\n\r\n";
        size_t sent = 0;
        while (sent < request.size()) {
            if (!WaitFor(fd, POLLOUT)) {
                description = "send: timed out";
                return nullptr;
            }
            const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno != EINTR && errno != EAGAIN) {
                description = Describe("send", errno);
                return nullptr;
            }
            if (n > 0) sent += static_cast<size_t>(n);
        }
        if (!response->SkipHeaders(description)) return nullptr;
        return response;
    }
};

}  // namespace

HttpPort& SystemHttpPort() {
    static PosixHttpPort port;
    return port;
}

}  // namespace pelto
