#include "build_date.h"
#include "sync/set_clock.h"

namespace pelto {

SystemTime BuildDateFloor() {
    constexpr int kDate = PELTO_BUILD_DATE;  // yyyymmdd, UTC
    SystemTime t{};
    t.wYear = static_cast<uint16_t>(kDate / 10000);
    t.wMonth = static_cast<uint16_t>(kDate / 100 % 100);
    t.wDay = static_cast<uint16_t>(kDate % 100);
    // The day before, across month and year ends.
    static constexpr uint16_t kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.wDay > 1) {
        --t.wDay;
    } else if (t.wMonth > 1) {
        --t.wMonth;
        const bool leap = (t.wYear % 4 == 0 && t.wYear % 100 != 0) || t.wYear % 400 == 0;
        t.wDay = static_cast<uint16_t>(kMonthDays[t.wMonth - 1] + (t.wMonth == 2 && leap ? 1 : 0));
    } else {
        --t.wYear;
        t.wMonth = 12;
        t.wDay = 31;
    }
    return t;
}

}  // namespace pelto
