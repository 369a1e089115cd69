#include "sync/set_clock.h"

#include <tuple>

namespace pelto {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

bool IsEarlier(const SystemTime& a, const SystemTime& b) {
    return std::tie(a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond, a.wMilliseconds) <
           std::tie(b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond, b.wMilliseconds);
}

bool UtcOffsetAt(const SystemTime& t, int64_t& offsetSeconds) {
    int64_t utc = 0;
    if (!LocalToSeconds(t, utc)) return false;
    const int64_t civil =
        DaysFromCivil(t.wYear, t.wMonth, t.wDay) * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    offsetSeconds = civil - utc;
    return true;
}

SetClockResult SetLocalClock(LocalClock& clock, const SystemTime& t, const SystemTime& floor,
                             uint32_t& error) {
    if (IsEarlier(t, floor)) return SetClockResult::kBeforeFloor;
    const SystemTime before = clock.Now();
    if (!clock.Set(t, error)) return SetClockResult::kFailed;
    int64_t offsetBefore = 0, offsetAfter = 0;
    const bool known = UtcOffsetAt(before, offsetBefore) && UtcOffsetAt(t, offsetAfter);
    if (!known || offsetBefore != offsetAfter) {
        if (!clock.Set(t, error)) return SetClockResult::kFailed;
    }
    return SetClockResult::kSet;
}

}  // namespace pelto
