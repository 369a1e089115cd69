// The request as it goes on the wire, and one test vector per reason a reply is accepted or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sync/sntp_packet.h"

namespace pelto {
namespace {

const NtpTimestamp kSent{3913056000u, 0x80001234u};

// A sound server answer to kSent: version 4, mode 4, stratum 2, 10 ms hold.
SntpPacket GoodReply() {
    SntpPacket p;
    p.liVnMode = 0x24;
    p.stratum = 2;
    p.poll = 6;
    p.precision = -20;
    p.rootDelay = 0x00000800;
    p.rootDispersion = 0x00000400;
    p.referenceId = 0x7F000001;
    p.reference = {3913055990u, 0};
    p.originate = kSent;
    p.receive = {3913056000u, 0x81000000u};
    p.transmit = {3913056000u, 0x83000000u};
    return p;
}

SntpReplyCheck Check(const SntpPacket& p, size_t size = kSntpPacketSize) {
    std::vector<uint8_t> wire(std::max(size, kSntpPacketSize) + 16, 0);
    const SntpBytes b = EncodeSntpPacket(p);
    std::copy(b.begin(), b.end(), wire.begin());
    SntpPacket decoded;
    return CheckSntpReply(wire.data(), size, kSent, decoded);
}

TEST(SntpRequest, FirstByteAndTransmitTimestampOnly) {
    SystemTime t1{};
    ASSERT_TRUE(SecondsToLocal(1704067200, t1));
    t1.wMilliseconds = 500;
    const SntpBytes b = EncodeSntpPacket(BuildSntpRequest(t1, 0xBEEF));
    ASSERT_EQ(b.size(), 48u);
    EXPECT_EQ(b[0], 0x23);
    for (size_t i = 1; i < 40; ++i) EXPECT_EQ(b[i], 0) << i;
    const uint8_t transmit[8] = {0xE9, 0x3C, 0x7F, 0x00, 0x80, 0x00, 0xBE, 0xEF};  // 3913056000.5 + nonce
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(b[40 + i], transmit[i]) << i;
}

TEST(SntpPacket, EncodeDecodeMirrorTheWire) {
    const SntpPacket p = GoodReply();
    const SntpBytes b = EncodeSntpPacket(p);
    EXPECT_EQ(b[0], 0x24);
    EXPECT_EQ(b[3], 0xEC);  // precision -20
    EXPECT_EQ(b[12], 0x7F);
    EXPECT_EQ(b[31], 0x34);
    const SntpPacket q = DecodeSntpPacket(b.data());
    EXPECT_EQ(q.LeapIndicator(), 0u);
    EXPECT_EQ(q.Version(), 4u);
    EXPECT_EQ(q.Mode(), 4u);
    EXPECT_EQ(q.precision, -20);
    EXPECT_EQ(q.originate, kSent);
    EXPECT_EQ(q.receive, p.receive);
    EXPECT_EQ(q.transmit, p.transmit);
    EXPECT_EQ(EncodeSntpPacket(q), b);
}

TEST(SntpReplyCheck, OneVectorPerReason) {
    struct Case {
        const char* what;
        SntpPacket packet;
        size_t size;
        SntpReplyCheck want;
    };
    auto with = [](auto change) { SntpPacket p = GoodReply(); change(p); return p; };
    const Case cases[] = {
        {"sound reply", GoodReply(), 48, SntpReplyCheck::kAccepted},
        {"longer datagram (extension fields)", GoodReply(), 68, SntpReplyCheck::kAccepted},
        {"version 3 reply", with([](SntpPacket& p) { p.liVnMode = 0x1C; }), 48, SntpReplyCheck::kAccepted},
        {"leap second pending", with([](SntpPacket& p) { p.liVnMode = 0x64; }), 48, SntpReplyCheck::kAccepted},
        {"stratum 15", with([](SntpPacket& p) { p.stratum = 15; }), 48, SntpReplyCheck::kAccepted},
        {"transmit across the era change",
         with([](SntpPacket& p) { p.receive = {0xFFFFFFFFu, 0xFF000000u}; p.transmit = {0, 0x01000000u}; }), 48,
         SntpReplyCheck::kAccepted},
        {"47 bytes", GoodReply(), 47, SntpReplyCheck::kTooShort},
        {"empty datagram", GoodReply(), 0, SntpReplyCheck::kTooShort},
        {"client mode", with([](SntpPacket& p) { p.liVnMode = 0x23; }), 48, SntpReplyCheck::kNotServerMode},
        {"broadcast mode", with([](SntpPacket& p) { p.liVnMode = 0x25; }), 48, SntpReplyCheck::kNotServerMode},
        {"version 0", with([](SntpPacket& p) { p.liVnMode = 0x04; }), 48, SntpReplyCheck::kBadVersion},
        {"version 5", with([](SntpPacket& p) { p.liVnMode = 0x2C; }), 48, SntpReplyCheck::kBadVersion},
        {"zero transmit", with([](SntpPacket& p) { p.transmit = {0, 0}; p.receive = {0, 0}; }), 48,
         SntpReplyCheck::kZeroTransmit},
        {"originate off by one second", with([](SntpPacket& p) { p.originate.seconds++; }), 48,
         SntpReplyCheck::kOriginateMismatch},
        {"originate without our random bits",
         with([](SntpPacket& p) { p.originate.fraction &= 0xFFFF0000u; }), 48, SntpReplyCheck::kOriginateMismatch},
        {"zero originate", with([](SntpPacket& p) { p.originate = {0, 0}; }), 48,
         SntpReplyCheck::kOriginateMismatch},
        {"kiss RATE", with([](SntpPacket& p) { p.liVnMode = 0xE4; p.stratum = 0; p.referenceId = 0x52415445; }),
         48, SntpReplyCheck::kKissOfDeath},
        {"leap indicator 3", with([](SntpPacket& p) { p.liVnMode = 0xE4; }), 48, SntpReplyCheck::kUnsynchronised},
        {"stratum 16", with([](SntpPacket& p) { p.stratum = 16; }), 48, SntpReplyCheck::kUnsynchronised},
        {"transmit before receive", with([](SntpPacket& p) { std::swap(p.receive, p.transmit); }), 48,
         SntpReplyCheck::kTransmitBeforeReceive},
        {"transmit 2 s after receive", with([](SntpPacket& p) { p.transmit.seconds = p.receive.seconds + 2; }),
         48, SntpReplyCheck::kHoldTooLong},
        {"transmit 68 years after receive", with([](SntpPacket& p) { p.transmit.seconds += 0x7FFFFFFFu; }), 48,
         SntpReplyCheck::kHoldTooLong},
        {"hold just under 2 s", with([](SntpPacket& p) { p.transmit = {p.receive.seconds + 1, 0xFFFFFFFFu}; }),
         48, SntpReplyCheck::kAccepted},
        {"root dispersion 16 s", with([](SntpPacket& p) { p.rootDispersion = 16u << 16; }), 48,
         SntpReplyCheck::kRootDistanceTooLarge},
        {"root delay 32 s", with([](SntpPacket& p) { p.rootDelay = 32u << 16; p.rootDispersion = 0; }), 48,
         SntpReplyCheck::kRootDistanceTooLarge},
        {"root distance just under 16 s",
         with([](SntpPacket& p) { p.rootDelay = 2u << 16; p.rootDispersion = (15u << 16) - 1; }), 48,
         SntpReplyCheck::kAccepted},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.packet, c.size), c.want) << c.what;
}

TEST(SntpReplyCheck, OnlyKissAndUnsynchronisedEndTheWait) {
    EXPECT_FALSE(IsDiscarded(SntpReplyCheck::kAccepted));
    EXPECT_FALSE(IsDiscarded(SntpReplyCheck::kKissOfDeath));
    EXPECT_FALSE(IsDiscarded(SntpReplyCheck::kUnsynchronised));
    for (auto c : {SntpReplyCheck::kTooShort, SntpReplyCheck::kNotServerMode, SntpReplyCheck::kBadVersion,
                   SntpReplyCheck::kZeroTransmit, SntpReplyCheck::kOriginateMismatch,
                   SntpReplyCheck::kTransmitBeforeReceive, SntpReplyCheck::kHoldTooLong,
                   SntpReplyCheck::kRootDistanceTooLarge}) {
        EXPECT_TRUE(IsDiscarded(c));
    }
}

TEST(SntpReplyCheck, KissCodeIsPrintableAscii) {
    SntpPacket p;
    p.referenceId = 0x44454E59;  // "DENY"
    EXPECT_EQ(KissCode(p), "DENY");
    p.referenceId = 0x52000A7F;
    EXPECT_EQ(KissCode(p), "R???");
}

}  // namespace
}  // namespace pelto
