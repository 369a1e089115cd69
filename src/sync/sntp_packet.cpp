#include "sync/sntp_packet.h"

namespace pelto {
namespace {

constexpr uint8_t kRequestFirstByte = 0x23;  // leap 0, version 4, mode 3 (client)
constexpr unsigned kModeServer = 4;
constexpr unsigned kLeapAlarm = 3;           // "clock not synchronised"
constexpr unsigned kMaxStratum = 15;
// Root distance beyond which a server cannot know the time to any use (as in NTP's MAXDIST
// spirit, but generous: an SNTP client has no other sources to weigh against).
constexpr uint64_t kMaxRootDistance16 = 16ull << 16;
// No reply that took 2 s or more is used, so a server cannot truly have held our request that
// long: such a hold means a broken clock on its side, and it would turn the round trip (the
// measured duration minus the hold) into nonsense, decades of it in the worst case.
constexpr uint64_t kMaxHold = 2ull << 32;

void Put32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t Get32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void PutTimestamp(uint8_t* p, const NtpTimestamp& ts) {
    Put32(p, ts.seconds);
    Put32(p + 4, ts.fraction);
}

NtpTimestamp GetTimestamp(const uint8_t* p) { return NtpTimestamp{Get32(p), Get32(p + 4)}; }

bool IsZero(const NtpTimestamp& ts) { return ts.seconds == 0 && ts.fraction == 0; }

uint64_t Wide(const NtpTimestamp& ts) { return (static_cast<uint64_t>(ts.seconds) << 32) | ts.fraction; }

// Timestamps compared on the 64-bit NTP circle, so a pair straddling an era change still orders.
bool Precedes(const NtpTimestamp& a, const NtpTimestamp& b) {
    return static_cast<int64_t>(Wide(a) - Wide(b)) < 0;
}

}  // namespace

SntpBytes EncodeSntpPacket(const SntpPacket& packet) {
    SntpBytes b{};
    b[0] = packet.liVnMode;
    b[1] = packet.stratum;
    b[2] = static_cast<uint8_t>(packet.poll);
    b[3] = static_cast<uint8_t>(packet.precision);
    Put32(&b[4], packet.rootDelay);
    Put32(&b[8], packet.rootDispersion);
    Put32(&b[12], packet.referenceId);
    PutTimestamp(&b[16], packet.reference);
    PutTimestamp(&b[24], packet.originate);
    PutTimestamp(&b[32], packet.receive);
    PutTimestamp(&b[40], packet.transmit);
    return b;
}

SntpPacket DecodeSntpPacket(const uint8_t* b) {
    SntpPacket packet;
    packet.liVnMode = b[0];
    packet.stratum = b[1];
    packet.poll = static_cast<int8_t>(b[2]);
    packet.precision = static_cast<int8_t>(b[3]);
    packet.rootDelay = Get32(b + 4);
    packet.rootDispersion = Get32(b + 8);
    packet.referenceId = Get32(b + 12);
    packet.reference = GetTimestamp(b + 16);
    packet.originate = GetTimestamp(b + 24);
    packet.receive = GetTimestamp(b + 32);
    packet.transmit = GetTimestamp(b + 40);
    return packet;
}

SntpPacket BuildSntpRequest(const SystemTime& t1, uint16_t nonce) {
    SntpPacket request;
    request.liVnMode = kRequestFirstByte;
    request.transmit = ToNtpTimestamp(t1);
    request.transmit.fraction |= nonce;
    return request;
}

bool IsDiscarded(SntpReplyCheck check) {
    return check != SntpReplyCheck::kAccepted && check != SntpReplyCheck::kKissOfDeath &&
           check != SntpReplyCheck::kUnsynchronised;
}

SntpReplyCheck CheckSntpReply(const uint8_t* data, size_t size, const NtpTimestamp& requestTransmit,
                              SntpPacket& packet) {
    // Anything longer than 48 bytes (extension fields, a MAC) is fine: we read only the header.
    if (size < kSntpPacketSize) return SntpReplyCheck::kTooShort;
    packet = DecodeSntpPacket(data);

    // Only a unicast server answer is an answer; broadcasts and symmetric peers are not.
    if (packet.Mode() != kModeServer) return SntpReplyCheck::kNotServerMode;
    if (packet.Version() < 1 || packet.Version() > 4) return SntpReplyCheck::kBadVersion;
    if (IsZero(packet.transmit)) return SntpReplyCheck::kZeroTransmit;
    // The server copies our transmit timestamp into its originate field. All 64 bits must match,
    // the random low bits included: this is what ties the datagram to our request.
    if (!(packet.originate == requestTransmit)) return SntpReplyCheck::kOriginateMismatch;

    // From here the reply is taken to come from the server we asked, so its refusal is final.
    if (packet.stratum == 0) return SntpReplyCheck::kKissOfDeath;
    if (packet.LeapIndicator() == kLeapAlarm || packet.stratum > kMaxStratum) {
        return SntpReplyCheck::kUnsynchronised;
    }

    // Sanity of the times themselves; a broken or lying reply is dropped, not believed.
    if (Precedes(packet.transmit, packet.receive)) return SntpReplyCheck::kTransmitBeforeReceive;
    if (Wide(packet.transmit) - Wide(packet.receive) >= kMaxHold) return SntpReplyCheck::kHoldTooLong;
    const uint64_t distance16 = packet.rootDelay / 2 + static_cast<uint64_t>(packet.rootDispersion);
    if (distance16 >= kMaxRootDistance16) return SntpReplyCheck::kRootDistanceTooLarge;
    return SntpReplyCheck::kAccepted;
}

std::string KissCode(const SntpPacket& packet) {
    std::string code(4, '?');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<uint8_t>(packet.referenceId >> (24 - 8 * i));
        if (c >= 0x20 && c <= 0x7E) code[static_cast<size_t>(i)] = static_cast<char>(c);
    }
    return code;
}

}  // namespace pelto
