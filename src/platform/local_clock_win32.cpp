#include <windows.h>

#include <cstring>

#include "platform/local_clock.h"

namespace pelto {
namespace {

class Win32LocalClock final : public LocalClock {
public:
    SystemTime Now() override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        SystemTime t;
        std::memcpy(&t, &st, sizeof t);
        return t;
    }

    bool Set(const SystemTime& t, uint32_t& errorCode) override {
        SYSTEMTIME st;
        std::memcpy(&st, &t, sizeof st);
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
