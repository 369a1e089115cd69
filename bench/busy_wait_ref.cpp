// bench_busywait: a reference for comparison only, never part of the programs. It waits for an
// SNTP reply the way a plain polling client does: after sending, it asks the socket how many
// bytes are pending, over and over without sleeping, until 48 are there or the whole-second
// clock (time()) has advanced by three seconds. The benchmarks set its CPU cost per exchange
// beside the clock's own exchange, which sleeps in the system until the reply or its deadline.
//   bench_busywait step    one exchange per line read from standard input, with the server (a
//                          dotted address) the line names, answered "done ok|fail" once it has
//                          ended
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#include <winsock2.h>
using Socket = SOCKET;
using IoctlArg = u_long;
constexpr Socket kNoSocket = INVALID_SOCKET;
static int PendingBytes(Socket s, IoctlArg& n) { return ioctlsocket(s, FIONREAD, &n); }
static void CloseSocket(Socket s) { closesocket(s); }
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
using Socket = int;
using IoctlArg = int;
constexpr Socket kNoSocket = -1;
static int PendingBytes(Socket s, IoctlArg& n) { return ioctl(s, FIONREAD, &n); }
static void CloseSocket(Socket s) { close(s); }
#endif

namespace {

constexpr int kPacketSize = 48;
constexpr uint32_t kNtpUnixDelta = 2208988800u;

void PutBigEndian(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

// The polling wait: true with the reply in `buffer`, false when the deadline passed first.
bool ReceiveWithTimeout(Socket s, unsigned char* buffer, int length) {
    const time_t start = time(nullptr);
    IoctlArg pending = 0;
    if (PendingBytes(s, pending) != 0) return false;
    for (;;) {
        const long long elapsed = static_cast<long long>(time(nullptr) - start) % 60;
        if (elapsed > 2) return false;
        PendingBytes(s, pending);
        if (static_cast<long long>(pending) >= length) {
            recv(s, reinterpret_cast<char*>(buffer), length, 0);
            return true;
        }
    }
}

bool Exchange(const char* server) {
    const Socket s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == kNoSocket) return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(123);
    peer.sin_addr.s_addr = inet_addr(server);
    bool ok = false;
    if (connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        unsigned char packet[kPacketSize] = {0x23};
        PutBigEndian(packet + 40, static_cast<uint32_t>(time(nullptr)) + kNtpUnixDelta);
        send(s, reinterpret_cast<const char*>(packet), kPacketSize, 0);
        ok = ReceiveWithTimeout(s, packet, kPacketSize);
    }
    CloseSocket(s);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "step") != 0) {
        std::fprintf(stderr, "usage: bench_busywait step\n");
        return 2;
    }
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 2;
#endif
    char line[256];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        const bool ok = Exchange(line);
        std::printf("done %s\n", ok ? "ok" : "fail");
        std::fflush(stdout);
    }
#ifdef _WIN32
    WSACleanup();
#endif
    return 0;
}
