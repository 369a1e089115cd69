#pragma once
// The 48-byte SNTP packet: a struct mirroring the wire, the client request, and the checks a reply
// must pass before its timestamps may steer the clock.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_time.h"
#include "sync/time_arith.h"

namespace pelto {

inline constexpr size_t kSntpPacketSize = 48;
inline constexpr uint16_t kSntpPort = 123;

using SntpBytes = std::array<uint8_t, kSntpPacketSize>;

// Field for field the wire layout; every multi-byte field is big-endian on the wire.
struct SntpPacket {
    uint8_t liVnMode = 0;           // leap indicator (2 bits), version (3 bits), mode (3 bits)
    uint8_t stratum = 0;
    int8_t poll = 0;
    int8_t precision = 0;
    uint32_t rootDelay = 0;         // unsigned 16.16 seconds
    uint32_t rootDispersion = 0;    // unsigned 16.16 seconds
    uint32_t referenceId = 0;       // for stratum 0, the kiss code in ASCII
    NtpTimestamp reference;
    NtpTimestamp originate;         // the server's copy of our transmit timestamp
    NtpTimestamp receive;           // T2
    NtpTimestamp transmit;          // T3

    unsigned LeapIndicator() const { return liVnMode >> 6; }
    unsigned Version() const { return (liVnMode >> 3) & 7u; }
    unsigned Mode() const { return liVnMode & 7u; }
};

SntpBytes EncodeSntpPacket(const SntpPacket& packet);
SntpPacket DecodeSntpPacket(const uint8_t* bytes);  // reads exactly kSntpPacketSize bytes

// The client request: leap 0, version 4, mode 3 (first byte 0x23), everything zero except the
// transmit timestamp, which encodes t1 to the millisecond. Its low 16 fraction bits, which the
// millisecond encoding leaves zero, carry `nonce` so a blind spoofer cannot predict the whole
// timestamp that a reply must echo.
SntpPacket BuildSntpRequest(const SystemTime& t1, uint16_t nonce);

// Why a datagram was accepted or not. Discarded replies are ignored and the wait goes on; a kiss
// or an unsynchronised server ends the exchange at once.
enum class SntpReplyCheck {
    kAccepted,
    // discarded
    kTooShort,               // fewer than 48 bytes
    kNotServerMode,          // mode is not 4
    kBadVersion,             // version outside 1..4
    kZeroTransmit,           // the server sent no transmit time
    kOriginateMismatch,      // does not answer our request (stale, duplicated or spoofed)
    kTransmitBeforeReceive,  // server's transmit time earlier than its receive time
    kHoldTooLong,            // server's transmit time 2 s or more after its receive time
    kRootDistanceTooLarge,   // root delay / 2 + root dispersion of 16 s or more
    // final
    kKissOfDeath,            // stratum 0: the server refuses us; the kiss code says why
    kUnsynchronised,         // leap indicator 3 or stratum above 15
};

bool IsDiscarded(SntpReplyCheck check);

// Checks a received datagram against the request it should answer. `packet` is filled whenever
// the datagram is at least 48 bytes long.
SntpReplyCheck CheckSntpReply(const uint8_t* data, size_t size, const NtpTimestamp& requestTransmit,
                              SntpPacket& packet);

// The four characters of a kiss code; bytes outside printable ASCII show as '?'.
std::string KissCode(const SntpPacket& packet);

}  // namespace pelto
