// Local-time port over the C library: mktime with tm_isdst = -1 and localtime_r, following TZ.
#include <ctime>

#include "platform/system_time.h"

namespace pelto {

bool LocalToSeconds(const SystemTime& t, int64_t& seconds) {
    std::tm tm{};
    tm.tm_year = t.wYear - 1900;
    tm.tm_mon = t.wMonth - 1;
    tm.tm_mday = t.wDay;
    tm.tm_hour = t.wHour;
    tm.tm_min = t.wMinute;
    tm.tm_sec = t.wSecond;
    tm.tm_isdst = -1;
    const std::time_t s = std::mktime(&tm);
    if (s == static_cast<std::time_t>(-1) && !(tm.tm_year == 69 && tm.tm_mon == 11 && tm.tm_mday == 31)) {
        return false;
    }
    seconds = static_cast<int64_t>(s);
    return true;
}

bool SecondsToLocal(int64_t seconds, SystemTime& t) {
    const std::time_t s = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&s, &tm)) return false;
    if (tm.tm_year + 1900 < 0 || tm.tm_year + 1900 > 30827) return false;
    t.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    t.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    t.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.wDay = static_cast<uint16_t>(tm.tm_mday);
    t.wHour = static_cast<uint16_t>(tm.tm_hour);
    t.wMinute = static_cast<uint16_t>(tm.tm_min);
    t.wSecond = static_cast<uint16_t>(tm.tm_sec);
    t.wMilliseconds = 0;
    return true;
}

}  // namespace pelto
