#pragma once
// One SNTP request and reply with one server: the four times of the exchange, its round trip and
// the estimated correct local time, or a Japanese error text. Never touches the clock, never
// retries: one call is one request.
#include <cstdint>
#include <string>

#include "platform/datagram_port.h"
#include "platform/local_clock.h"
#include "platform/monotonic_clock.h"
#include "platform/random_source.h"
#include "platform/system_time.h"

namespace pelto {

// How long to wait for a valid reply after sending, on the monotonic clock.
inline constexpr int64_t kSntpReplyWaitMs = 3000;
// A reply later than this after T1 is too late to set the clock from.
inline constexpr int64_t kSntpMaxExchangeMs = 2000;

struct SntpPorts {
    DatagramPort& network;
    LocalClock& clock;          // T1 and T4
    MonotonicClock& monotonic;  // the reply deadline
    RandomSource& random;       // the unpredictable low bits of our transmit timestamp
};

// The machine's own network, clock and random source.
inline SntpPorts SystemSntpPorts() {
    return SntpPorts{SystemDatagramPort(), SystemLocalClock(), SystemMonotonicClock(), SystemRandomSource()};
}

// Blocking, on the calling thread. True with every out-value set; false with `error` set, the
// out-values reached before the failing step updated and the others (roundTrip always) unchanged.
bool SntpQuery(const SntpPorts& ports, std::string& error, std::string server, SystemTime& t1, SystemTime& t2,
               SystemTime& t3, SystemTime& t4, SystemTime& correct, int32_t& roundTrip);

}  // namespace pelto
