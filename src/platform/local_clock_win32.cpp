#include <windows.h>

#include <cstring>

#include "platform/local_clock.h"

namespace pelto {
namespace {

class Win32Clock final : public LocalClock {
public:
    SystemTime Now() override {
        SYSTEMTIME st;
        ::GetLocalTime(&st);
        SystemTime t;
        std::memcpy(static_cast<void*>(&t), &st, sizeof t);
        return t;
    }
    bool Set(const SystemTime& t, uint32_t& errorCode) override {
        SYSTEMTIME st;
        std::memcpy(&st, &t, sizeof st);
        if (::SetLocalTime(&st)) {
            errorCode = 0;
            return true;
        }
        errorCode = ::GetLastError();
        return false;
    }
};

}  // namespace

LocalClock& SystemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace pelto
