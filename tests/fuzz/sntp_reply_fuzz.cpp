// The SNTP reply path with hostile datagrams: the validator on raw bytes, then whole exchanges in
// simulated time where every datagram the "server" sends, its timing, socket errors and the local
// clock come from the fuzzer. Whatever arrives, the exchange must end (by a reply or the deadline),
// close its socket, and keep its promises about the out-values.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <deque>
#include <vector>

#include "fuzz_check.h"
#include "platform/datagram_port.h"
#include "platform/local_clock.h"
#include "platform/monotonic_clock.h"
#include "platform/random_source.h"
#include "sync/sntp_packet.h"
#include "sync/sntp_query.h"
#include "sync/time_arith.h"

namespace pelto {
namespace {

struct Sim {
    int64_t monoMs = 0;
    int64_t wallUnixMs = 0;  // what the local clock shows at monoMs == 0
};

struct Datagram {
    int64_t at = 0;      // monotonic ms after the send
    bool fails = false;  // the receive reports an error (port unreachable) instead
    bool echo = false;   // patch the originate field with our transmit time
    std::vector<uint8_t> bytes;
};

struct Counts {
    int opened = 0;
    int closed = 0;
    int sent = 0;
};

class FuzzSocket final : public DatagramSocket {
public:
    FuzzSocket(Sim& sim, Counts& counts, std::vector<Datagram> script, bool connectOk)
        : sim_(sim), counts_(counts), script_(std::move(script)), connectOk_(connectOk) {}
    ~FuzzSocket() override { Close(); }

    bool Connect(const std::string&, uint16_t port) override {
        FUZZ_CHECK(port == kSntpPort);
        return connectOk_;
    }
    bool Send(const uint8_t* data, size_t size) override {
        FUZZ_CHECK(size == kSntpPacketSize);
        FUZZ_CHECK(data[0] == 0x23);
        ++counts_.sent;
        const SntpPacket request = DecodeSntpPacket(data);
        for (Datagram d : script_) {
            d.at += sim_.monoMs;
            if (d.echo && d.bytes.size() >= 32) {
                const SntpBytes wire = EncodeSntpPacket(request);
                std::memcpy(&d.bytes[24], &wire[40], 8);
            }
            queue_.push_back(std::move(d));
        }
        return true;
    }
    Wait WaitReadable(int64_t timeoutMs) override {
        FUZZ_CHECK(timeoutMs > 0);
        ++sim_.monoMs;  // every wait takes time, so a spurious wake cannot spin for ever
        if (!queue_.empty() && queue_.front().at <= sim_.monoMs + timeoutMs) {
            sim_.monoMs = std::max(sim_.monoMs, queue_.front().at);
            return Wait::kReadable;
        }
        sim_.monoMs += timeoutMs;
        return Wait::kTimeout;
    }
    int64_t Receive(uint8_t* buffer, size_t capacity) override {
        if (queue_.empty() || queue_.front().at > sim_.monoMs) return kWouldBlock;
        Datagram d = std::move(queue_.front());
        queue_.pop_front();
        if (d.fails) return kFailed;
        const size_t n = std::min(capacity, d.bytes.size());
        if (n > 0) std::memcpy(buffer, d.bytes.data(), n);
        return static_cast<int64_t>(n);
    }
    void Close() override {
        if (!closed_) ++counts_.closed;
        closed_ = true;
    }

private:
    Sim& sim_;
    Counts& counts_;
    std::vector<Datagram> script_;
    bool connectOk_;
    bool closed_ = false;
    std::deque<Datagram> queue_;
};

class FuzzNetwork final : public DatagramPort {
public:
    FuzzNetwork(Sim& sim, Counts& counts) : sim_(sim), counts_(counts) {}
    std::unique_ptr<DatagramSocket> Open() override {
        if (!openOk) return nullptr;
        ++counts_.opened;
        return std::make_unique<FuzzSocket>(sim_, counts_, script, connectOk);
    }
    bool openOk = true;
    bool connectOk = true;
    std::vector<Datagram> script;

private:
    Sim& sim_;
    Counts& counts_;
};

class FuzzClock final : public LocalClock, public MonotonicClock {
public:
    explicit FuzzClock(Sim& sim) : sim_(sim) {}
    SystemTime Now() override {
        const int64_t ms = sim_.wallUnixMs + sim_.monoMs;
        SystemTime t{};
        FUZZ_CHECK(SecondsToLocal(ms / 1000, t));
        t.wMilliseconds = static_cast<uint16_t>(ms % 1000);
        return t;
    }
    bool Set(const SystemTime&, uint32_t& errorCode) override {
        FUZZ_CHECK(!"the exchange never sets the clock");
        errorCode = 0;
        return false;
    }
    int64_t NowMs() override { return sim_.monoMs; }

private:
    Sim& sim_;
};

class FuzzRandom final : public RandomSource {
public:
    bool Fill(void* data, size_t size) override {
        std::memset(data, value & 0xFF, size);
        if (size >= 2) std::memcpy(data, &value, 2);
        return ok;
    }
    bool ok = true;
    uint16_t value = 0;
};

// The validator alone, on the raw input: decoding and encoding are inverse, and an accepted
// reply has every property the checks promise.
void CheckRawReply(const uint8_t* data, size_t size) {
    NtpTimestamp ours;
    if (size >= 32) {
        // Half the time take the datagram's own originate as our request, so the checks behind
        // the originate match are reached as well.
        ours.seconds =
            (uint32_t{data[24]} << 24) | (uint32_t{data[25]} << 16) | (uint32_t{data[26]} << 8) | data[27];
        ours.fraction =
            (uint32_t{data[28]} << 24) | (uint32_t{data[29]} << 16) | (uint32_t{data[30]} << 8) | data[31];
        if (size % 2 == 1) ours.fraction ^= 1;
    }
    SntpPacket packet;
    const SntpReplyCheck check = CheckSntpReply(data, size, ours, packet);
    if (size < kSntpPacketSize) {
        FUZZ_CHECK(check == SntpReplyCheck::kTooShort);
        return;
    }
    const SntpBytes again = EncodeSntpPacket(packet);
    FUZZ_CHECK(std::memcmp(again.data(), data, kSntpPacketSize) == 0);
    if (check == SntpReplyCheck::kAccepted) {
        FUZZ_CHECK(packet.Mode() == 4);
        FUZZ_CHECK(packet.Version() >= 1 && packet.Version() <= 4);
        FUZZ_CHECK(packet.originate == ours);
        FUZZ_CHECK(packet.stratum >= 1 && packet.stratum <= 15);
        FUZZ_CHECK(packet.LeapIndicator() != 3);
        FUZZ_CHECK(packet.transmit.seconds != 0 || packet.transmit.fraction != 0);
    }
    if (check == SntpReplyCheck::kKissOfDeath) FUZZ_CHECK(KissCode(packet).size() == 4);
}

void RunExchange(FuzzedDataProvider& in) {
    Sim sim;
    // Any local time from 1970 to 2106, the range the NTP era mapping covers.
    sim.wallUnixMs =
        in.ConsumeIntegralInRange<int64_t>(0, 4294967295LL) * 1000 + in.ConsumeIntegralInRange(0, 999);
    Counts counts;
    FuzzNetwork network(sim, counts);
    FuzzClock clock(sim);
    FuzzRandom random;
    const uint8_t flags = in.ConsumeIntegral<uint8_t>();
    network.openOk = (flags & 1) == 0;
    network.connectOk = (flags & 2) == 0;
    random.ok = (flags & 4) == 0;
    random.value = in.ConsumeIntegral<uint16_t>();
    const int datagrams = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < datagrams && in.remaining_bytes() > 0; ++i) {
        Datagram d;
        d.at = in.ConsumeIntegralInRange<int64_t>(0, 4000);
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        d.fails = kind == 0xFF;
        d.echo = (kind & 1) != 0;
        d.bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 1100));
        network.script.push_back(std::move(d));
    }

    {
        SntpPorts ports{network, clock, clock, random};
        std::string error = "stale";
        SystemTime t1{}, t2{}, t3{}, t4{}, correct{};
        int32_t roundTrip = -12345;
        const bool ok = SntpQuery(ports, error, "127.0.0.1", t1, t2, t3, t4, correct, roundTrip);
        if (fuzz::Tracing())
            std::fprintf(stderr, "exchange: %s, error \"%s\", round trip %d, after %lld ms\n",
                         ok ? "ok" : "failed", error.c_str(), roundTrip, static_cast<long long>(sim.monoMs));
        FUZZ_CHECK(counts.opened == counts.closed);
        FUZZ_CHECK(counts.sent <= 1);
        FUZZ_CHECK(sim.monoMs <= kSntpReplyWaitMs + 1);  // the deadline holds, whatever arrives
        if (ok) {
            FUZZ_CHECK(error.empty());
            const int64_t measured = DiffMilliseconds(t4, t1);
            FUZZ_CHECK(measured < kSntpMaxExchangeMs);
            FUZZ_CHECK(roundTrip == measured - DiffMilliseconds(t3, t2));
            FUZZ_CHECK(correct.wMilliseconds <= 999);
        } else {
            FUZZ_CHECK(!error.empty());
            FUZZ_CHECK(roundTrip == -12345);
        }
    }
}

}  // namespace
}  // namespace pelto

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pelto::fuzz::UseTestZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pelto::CheckRawReply(data, size);
    FuzzedDataProvider in(data, size);
    pelto::RunExchange(in);
    return 0;
}
