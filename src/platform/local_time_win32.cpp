// Local-time port over the system's zone functions. They decide daylight saving for the date
// being converted, and they follow the same zone as GetLocalTime, which the mingw C runtime's
// localtime does not when TZ holds a zone name.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/system_time.h"

namespace pelto {
namespace {

constexpr int64_t kFileTimeAt1970 = 116444736000000000LL;  // 100 ns ticks from 1601 to 1970
constexpr int64_t kTicksPerSecond = 10000000LL;

static_assert(sizeof(SYSTEMTIME) == sizeof(SystemTime), "SystemTime mirrors SYSTEMTIME");

}  // namespace

bool LocalToSeconds(const SystemTime& t, int64_t& seconds) {
    SYSTEMTIME local{};
    local.wYear = t.wYear;
    local.wMonth = t.wMonth;
    local.wDay = t.wDay;
    local.wHour = t.wHour;
    local.wMinute = t.wMinute;
    local.wSecond = t.wSecond;
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) return false;
    FILETIME ft{};
    if (!SystemTimeToFileTime(&utc, &ft)) return false;
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    seconds = (ticks - kFileTimeAt1970) / kTicksPerSecond;
    return true;
}

bool SecondsToLocal(int64_t seconds, SystemTime& t) {
    // Outside what a FILETIME can hold the tick count would overflow: refuse, do not wrap.
    if (seconds < -kFileTimeAt1970 / kTicksPerSecond) return false;
    if (seconds > (INT64_MAX - kFileTimeAt1970) / kTicksPerSecond) return false;
    const uint64_t ticks = static_cast<uint64_t>(seconds * kTicksPerSecond + kFileTimeAt1970);
    FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&ft, &utc)) return false;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
    std::memcpy(static_cast<void*>(&t), &local, sizeof t);
    t.wMilliseconds = 0;
    return true;
}

}  // namespace pelto
