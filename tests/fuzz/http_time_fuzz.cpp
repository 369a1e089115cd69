// The HTTP time source with hostile pages: ParseHttpTime on the raw input, then whole requests
// through a scripted HTTP port whose body, piece sizes, failures and timing come from the fuzzer.
// The page's time must land in the calendar fields it names, the body read must stop where it
// is meant to, and every failure must say what the caller will log.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/http_port.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "sync/http_time_client.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

struct Script {
    bool connects = true;
    size_t failAtRead = SIZE_MAX;    // index of the read that fails
    std::vector<size_t> shortReads;  // per read: 0 = as asked, else at most this many bytes
    std::string body;
    int64_t msPerRead = 0;
    int reads = 0;
    int64_t nowMs = 0;
};

class ScriptedResponse final : public HttpResponse {
public:
    explicit ScriptedResponse(Script& s) : s_(s) {}
    bool Read(char* buffer, size_t size, size_t& got, std::string& description) override {
        FUZZ_CHECK(size == HttpTimeClient::kReadPiece);
        const size_t index = static_cast<size_t>(s_.reads++);
        s_.nowMs += s_.msPerRead;
        if (index == s_.failAtRead) {
            description = "read failed";
            return false;
        }
        size_t n = std::min(size, s_.body.size() - offset_);
        if (index < s_.shortReads.size() && s_.shortReads[index] != 0) n = std::min(n, s_.shortReads[index]);
        if (n > 0) std::memcpy(buffer, s_.body.data() + offset_, n);
        offset_ += n;
        got = n;
        return true;
    }

private:
    Script& s_;
    size_t offset_ = 0;
};

class ScriptedHttp final : public HttpPort {
public:
    explicit ScriptedHttp(Script& s) : s_(s) {}
    std::unique_ptr<HttpResponse> Get(const std::string& host, const std::string& path,
                                      std::string& description) override {
        FUZZ_CHECK(!host.empty());
        FUZZ_CHECK(path.empty() || path[0] == '/');
        if (!s_.connects) {
            description = "no connection";
            return nullptr;
        }
        return std::make_unique<ScriptedResponse>(s_);
    }

private:
    Script& s_;
};

class CountingBoxes final : public MessageBoxPort {
public:
    void Show(const std::string&) override { ++shown; }
    int shown = 0;
};

class ScriptedClock final : public LocalClock {
public:
    ScriptedClock(Script& s, int64_t baseUnixMs) : s_(s), base_(baseUnixMs) {}
    SystemTime Now() override {
        const int64_t ms = base_ + s_.nowMs;
        SystemTime t{};
        FUZZ_CHECK(SecondsToLocal(ms / 1000, t));
        t.wMilliseconds = static_cast<uint16_t>(ms % 1000);
        return t;
    }
    bool Set(const SystemTime&, uint32_t&) override {
        FUZZ_CHECK(!"the HTTP source never sets the clock");
        return false;
    }

private:
    Script& s_;
    int64_t base_;
};

// ParseHttpTime alone: a success names a real time since 1970 with 0..999 ms, broken down in
// the local zone, and a failure leaves the time as it was.
void CheckParse(const std::string& text) {
    Script unused;
    ScriptedHttp http(unused);
    CountingBoxes boxes;
    ScriptedClock clock(unused, 0);
    HttpTimeClient client(http, boxes, clock);
    SystemTime t{};
    t.wDayOfWeek = 7;  // not a day: shows whether the parse touched the field
    t.wYear = 1234;
    const SystemTime before = t;
    if (!client.ParseHttpTime(text, t)) {
        FUZZ_CHECK(t == before);
        FUZZ_CHECK(client.m_seconds == 0);
    } else {
        FUZZ_CHECK(client.m_seconds >= 0);
        FUZZ_CHECK(t.wMilliseconds <= 999);
        SystemTime broken{};
        FUZZ_CHECK(SecondsToLocal(client.m_seconds, broken));
        FUZZ_CHECK(t.wYear == broken.wYear && t.wMonth == broken.wMonth && t.wDay == broken.wDay &&
                   t.wHour == broken.wHour && t.wMinute == broken.wMinute && t.wSecond == broken.wSecond);
        FUZZ_CHECK(t.wDayOfWeek == 7);
    }
    FUZZ_CHECK(client.m_error.empty());
}

void RunRequest(FuzzedDataProvider& in) {
    Script s;
    const uint8_t flags = in.ConsumeIntegral<uint8_t>();
    s.connects = (flags & 1) == 0;
    if (flags & 2) s.failAtRead = in.ConsumeIntegralInRange<size_t>(0, 10);
    s.msPerRead = in.ConsumeIntegralInRange<int64_t>(0, 400);
    for (int i = 0; i < 3; ++i) s.shortReads.push_back(in.ConsumeIntegralInRange<size_t>(0, 300));
    const int64_t base = in.ConsumeIntegralInRange<int64_t>(0, 4294967295LL) * 1000;
    const std::string url = in.ConsumeRandomLengthString(100);
    s.body = in.ConsumeRemainingBytesAsString();

    ScriptedHttp http(s);
    CountingBoxes boxes;
    ScriptedClock clock(s, base);
    HttpTimeClient client(http, boxes, clock);

    // The body as HttpGetText takes it: nine pieces at most, each cut at its first zero byte.
    {
        HttpTimeClient reader(http, boxes, clock);
        const int readsBefore = s.reads;
        const std::string text = reader.HttpGetText(url);
        const int reads = s.reads - readsBefore;
        FUZZ_CHECK(reads <= 9);
        FUZZ_CHECK(text.size() <= 9 * HttpTimeClient::kReadPiece);
        FUZZ_CHECK(text.find('\0') == std::string::npos);
        if (HttpTimeClient::UrlHost(url).empty()) FUZZ_CHECK(reads == 0 && reader.m_error.empty());
        s.reads = 0;
        s.nowMs = 0;
    }

    const int shownBefore = boxes.shown;
    SystemTime t1{}, t2{}, t3{}, t4{}, correct{};
    int32_t roundTrip = -12345;
    const bool ok = client.HttpTimeQuery(url, t1, t2, t3, t4, correct, roundTrip);
    const int shown = boxes.shown - shownBefore;
    if (fuzz::Tracing())
        std::fprintf(stderr, "request %s: %s, error \"%s\", round trip %d, %d box(es), %s\n", url.c_str(),
                     ok ? "ok" : "failed", client.m_error.c_str(), roundTrip, shown,
                     FormatDateTimeMs(correct).c_str());
    if (ok) {
        FUZZ_CHECK(client.m_error.empty());
        FUZZ_CHECK(shown == 0);
        FUZZ_CHECK(t2 == t3);
        FUZZ_CHECK(roundTrip >= 0 && roundTrip < 2000);
        FUZZ_CHECK(roundTrip == DiffMilliseconds(t4, t1));
        FUZZ_CHECK(correct.wMilliseconds <= 999);
    } else {
        FUZZ_CHECK(roundTrip == -12345);
        // A box is shown exactly for the failures that name the platform's problem.
        FUZZ_CHECK((shown == 1) == (client.m_error == "http接続ができない" ||
                                    client.m_error == "ファイル読み込みができない"));
        FUZZ_CHECK(shown <= 1);
    }
}

}  // namespace
}  // namespace pelto

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pelto::fuzz::UseTestZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pelto::CheckParse(std::string(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider in(data, size);
    pelto::RunRequest(in);
    return 0;
}
