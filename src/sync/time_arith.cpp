#include "sync/time_arith.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace pelto {
namespace {

// 2^32 - kNtpUnixDelta: adding it modulo 2^32 takes the 1900 epoch back to 1970, and maps the
// next NTP era (seconds below kNtpUnixDelta, from 2036-02-07 on) onto 2036..2106.
constexpr uint32_t kNtpToUnixAddend = 2085978496u;

// The milliseconds ride in the upper 16 bits of the fraction. The factor and the rounding addend
// are single precision on purpose: peers that decode our fractions expect exactly these values.
constexpr float kFractionPerMs = 65.536f;
constexpr float kRoundHalf = 0.5f;

int64_t SecondsOrZero(const SystemTime& t) {
    // Callers pass times from the clock or from our own conversions, which always convert; a
    // value that would not is counted as the epoch so a difference comes out absurd, not random.
    int64_t s = 0;
    if (!LocalToSeconds(t, s)) return 0;
    return s;
}

// t's calendar fields replaced by the breakdown of s, keeping wDayOfWeek as it was.
bool SetCalendarFields(int64_t s, SystemTime& t) {
    SystemTime broken{};
    if (!SecondsToLocal(s, broken)) return false;
    t.wYear = broken.wYear;
    t.wMonth = broken.wMonth;
    t.wDay = broken.wDay;
    t.wHour = broken.wHour;
    t.wMinute = broken.wMinute;
    t.wSecond = broken.wSecond;
    return true;
}

}  // namespace

int64_t DiffMilliseconds(const SystemTime& a, const SystemTime& b) {
    return (SecondsOrZero(a) - SecondsOrZero(b)) * 1000 + static_cast<int64_t>(a.wMilliseconds) -
           static_cast<int64_t>(b.wMilliseconds);
}

std::string FormatDateTimeMs(const SystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, " %4d/%2d/%2d %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

std::string FormatDateTime(const SystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, " %4d/%2d/%2d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

NtpTimestamp ToNtpTimestamp(const SystemTime& t) {
    NtpTimestamp ts;
    ts.seconds = static_cast<uint32_t>(static_cast<uint64_t>(SecondsOrZero(t) + kNtpUnixDelta) & 0xFFFFFFFFu);
    const float scaled = static_cast<float>(t.wMilliseconds) * kFractionPerMs;
    const uint32_t upper = static_cast<uint32_t>(scaled);
    ts.fraction = upper << 16;
    return ts;
}

bool FromNtpTimestamp(uint32_t seconds, uint32_t fraction, SystemTime& t, int64_t& unixSeconds) {
    const uint32_t since1970 = seconds + kNtpToUnixAddend;  // wraps modulo 2^32 by design
    const int64_t s = static_cast<int64_t>(since1970);
    SystemTime result = t;
    if (!SetCalendarFields(s, result)) return false;
    const float ms = static_cast<float>(fraction >> 16) / kFractionPerMs + kRoundHalf;
    // 0xFFE0 and above round up to 1000; the field then holds 1000 and the carry into the
    // seconds is left to AddMilliseconds, which every caller applies next.
    result.wMilliseconds = static_cast<uint16_t>(ms);
    t = result;
    unixSeconds = s;
    return true;
}

bool AddMilliseconds(const SystemTime& t, int64_t s, int64_t h, SystemTime& out) {
    const int64_t m = static_cast<int64_t>(t.wMilliseconds) + h;
    if (m >= 0 && m <= 999) {
        out = t;
        out.wMilliseconds = static_cast<uint16_t>(m);
        return true;
    }
    int64_t carry = 0;
    int64_t ms = 0;
    if (m >= 1000) {
        carry = m / 1000;
        ms = m % 1000;
    } else {
        const int64_t borrow = (-m + 999) / 1000;  // smallest k with m + 1000 k >= 0
        carry = -borrow;
        ms = m + 1000 * borrow;
    }
    SystemTime result = t;
    if (!SetCalendarFields(s + carry, result)) return false;
    result.wMilliseconds = static_cast<uint16_t>(ms);
    out = result;
    return true;
}

bool EstimateCorrectTime(const SystemTime& t1, const SystemTime& t2, const SystemTime& t3, const SystemTime& t4,
                         int64_t t3Seconds, int32_t& roundTrip, SystemTime& correct) {
    const int64_t measured = DiffMilliseconds(t4, t1);
    const int64_t d = measured - DiffMilliseconds(t3, t2);
    const int64_t half = (d + 1) / 2;  // C++ division truncates towards zero
    // A round trip beyond 32 bits (server times that straddle the end of the 1970..2106 range
    // the NTP era mapping covers) is no measurement: report it pinned, and no correct time.
    roundTrip = static_cast<int32_t>(std::clamp<int64_t>(d, INT32_MIN, INT32_MAX));
    if (d != roundTrip) return false;
    return AddMilliseconds(t3, t3Seconds, half, correct);
}

}  // namespace pelto
