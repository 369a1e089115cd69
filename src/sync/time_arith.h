#pragma once
// Pure arithmetic on local calendar times: differences, the two date-time texts, NTP timestamps
// and the round-trip / correct-time estimate of one exchange. No network, no clock; local-time
// rules come from the local-time port (platform/system_time.h).
#include <cstdint>
#include <string>

#include "platform/system_time.h"

namespace pelto {

// Seconds from 1900-01-01 to 1970-01-01 (NTP seconds minus Unix seconds).
inline constexpr uint32_t kNtpUnixDelta = 2208988800u;

struct NtpTimestamp {
    uint32_t seconds = 0;   // since 1900-01-01 00:00:00 UTC, modulo 2^32
    uint32_t fraction = 0;  // binary fraction of a second
    friend bool operator==(const NtpTimestamp&, const NtpTimestamp&) = default;
};

// a minus b in milliseconds (wMilliseconds used as it stands, 1000 included).
int64_t DiffMilliseconds(const SystemTime& a, const SystemTime& b);

// " %4d/%2d/%2d %02d:%02d:%02d.%03d" and the same without milliseconds.
std::string FormatDateTimeMs(const SystemTime& t);
std::string FormatDateTime(const SystemTime& t);

// Local time to NTP timestamp; the fraction carries the milliseconds in its upper 16 bits.
NtpTimestamp ToNtpTimestamp(const SystemTime& t);

// NTP timestamp to local time (era mapping 1970..2106); unixSeconds is kept for AddMilliseconds.
// wDayOfWeek of t is left as it was. False when the breakdown fails.
bool FromNtpTimestamp(uint32_t seconds, uint32_t fraction, SystemTime& t, int64_t& unixSeconds);

// t (whose seconds since 1970 are s) moved by h milliseconds, with carry and borrow.
bool AddMilliseconds(const SystemTime& t, int64_t s, int64_t h, SystemTime& out);

// Round trip d = (T4 - T1) - (T3 - T2) and correct time = T3 + (d + 1) / 2.
// False when moving T3 fails or the round trip does not fit 32 bits; roundTrip is set either way
// (pinned to the 32-bit range), correct only on success.
bool EstimateCorrectTime(const SystemTime& t1, const SystemTime& t2, const SystemTime& t3,
                         const SystemTime& t4, int64_t t3Seconds, int32_t& roundTrip, SystemTime& correct);

}  // namespace pelto
