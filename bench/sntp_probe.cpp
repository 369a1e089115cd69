// bench_sntp: runs the clock's own SNTP exchange against one server, for the benchmarks.
//   bench_sntp SERVER COUNT OFFSET_MS   COUNT exchanges back to back; one line each:
//                                       "ok ERROR_MS ROUND_TRIP_MS" (ERROR_MS = estimated offset
//                                       of the server less OFFSET_MS) or "fail TEXT"
//   bench_sntp step                     one exchange per line read from standard input, with the
//                                       server the line names, answered "done ok|fail MICROSECONDS"
//                                       once it has ended, so the caller can read this process's CPU time
//                                       around each exchange
// The estimated offset is the correct time less T4, as the clock would apply it.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#endif

#include "sync/sntp_query.h"
#include "sync/time_arith.h"

namespace {

struct Result {
    bool ok = false;
    std::string error;
    pelto::SystemTime t1, t2, t3, t4, correct;
    int32_t roundTrip = 0;
};

Result Exchange(const std::string& server) {
    Result r;
    r.ok = pelto::SntpQuery(pelto::SystemSntpPorts(), r.error, server, r.t1, r.t2, r.t3, r.t4, r.correct,
                            r.roundTrip);
    return r;
}

int Accuracy(const std::string& server, int count, int64_t offsetMs) {
    for (int i = 0; i < count; ++i) {
        const Result r = Exchange(server);
        if (r.ok) {
            std::printf("ok %lld %d\n",
                        static_cast<long long>(pelto::DiffMilliseconds(r.correct, r.t4) - offsetMs),
                        r.roundTrip);
        } else {
            std::printf("fail %s\n", r.error.c_str());
        }
        std::fflush(stdout);
        // A little air between requests, as a client would leave; no server here limits rates.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

int Step() {
    char line[256];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        std::string server = line;
        while (!server.empty() && (server.back() == '\n' || server.back() == '\r')) server.pop_back();
        const auto start = std::chrono::steady_clock::now();
        const Result r = Exchange(server);
        const auto us =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("done %s %lld\n", r.ok ? "ok" : "fail", static_cast<long long>(us));
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc < 3 && std::strcmp(argv[1], "step") != 0)) {
        std::fprintf(stderr, "usage: bench_sntp SERVER COUNT OFFSET_MS | bench_sntp step\n");
        return 2;
    }
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 2;
#endif
    const int rc = std::strcmp(argv[1], "step") == 0
                       ? Step()
                       : Accuracy(argv[1], std::atoi(argv[2]), argc > 3 ? std::atoll(argv[3]) : 0);
#ifdef _WIN32
    WSACleanup();
#endif
    return rc;
}
