// The process token's privileges through advapi32.
#include <windows.h>

#include "framework/handle.h"
#include "platform/privileges.h"

namespace pelto {
namespace {

UniqueHandle OpenOwnToken() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return {};
    return UniqueHandle(token);
}

class Win32Privileges final : public PrivilegePort {
public:
    bool IsWindowsNT() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
        return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    bool Enable(const std::string& name) override {
        UniqueHandle token = OpenOwnToken();
        if (!token) return false;
        TOKEN_PRIVILEGES wanted{};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!LookupPrivilegeValueA(nullptr, name.c_str(), &wanted.Privileges[0].Luid)) return false;
        // Success of the call alone says nothing: a privilege the account lacks is reported
        // through the last error (ERROR_NOT_ALL_ASSIGNED).
        SetLastError(ERROR_SUCCESS);
        if (!AdjustTokenPrivileges(token.get(), FALSE, &wanted, 0, nullptr, nullptr)) return false;
        return GetLastError() == ERROR_SUCCESS;
    }

    void DisableAll() override {
        UniqueHandle token = OpenOwnToken();
        if (!token) return;
        AdjustTokenPrivileges(token.get(), TRUE, nullptr, 0, nullptr, nullptr);
    }
};

}  // namespace

PrivilegePort& SystemPrivilegePort() {
    static Win32Privileges privileges;
    return privileges;
}

}  // namespace pelto
