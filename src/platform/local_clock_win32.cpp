#include <windows.h>

#include "platform/local_clock.h"

namespace pelto {
namespace {

SystemTime FromWin32(const SYSTEMTIME& st) {
    return SystemTime{st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond,
                      st.wMilliseconds};
}

SYSTEMTIME ToWin32(const SystemTime& t) {
    return SYSTEMTIME{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

class Win32LocalClock final : public LocalClock {
public:
    SystemTime Now() override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        return FromWin32(st);
    }

    bool Set(const SystemTime& t, uint32_t& errorCode) override {
        const SYSTEMTIME st = ToWin32(t);
        if (SetLocalTime(&st)) return true;
        errorCode = GetLastError();
        return false;
    }
};

}  // namespace

LocalClock& SystemLocalClock() {
    static Win32LocalClock clock;
    return clock;
}

}  // namespace pelto
