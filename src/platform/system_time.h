#pragma once
// Broken-down local calendar time, field for field the layout of the Windows SYSTEMTIME, so the
// Win32 side can copy it across unchanged while the portable core never sees <windows.h>.
#include <cstdint>

namespace pelto {

struct SystemTime {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// The one port for local-time rules. Every conversion between local calendar fields and seconds
// since 1970 goes through these two, so they always agree with the clock the system shows.
// Natively they are the C library's (TZ); on Windows the system's own zone functions, which
// decide daylight saving per date (the mingw C runtime does not understand zone names).

// Calendar fields (year .. second; milliseconds and day of week ignored) to seconds since 1970,
// daylight saving decided by the zone rules. False when the fields cannot be converted.
bool LocalToSeconds(const SystemTime& t, int64_t& seconds);

// Seconds since 1970 to local calendar fields with wDayOfWeek filled in and wMilliseconds 0.
// False when the value cannot be broken down.
bool SecondsToLocal(int64_t seconds, SystemTime& t);

}  // namespace pelto
