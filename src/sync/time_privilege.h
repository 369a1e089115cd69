#pragma once
// The time-setting privilege, shared by the two threads that set the clock (the GUI thread's
// synchronisation and the drift-correction thread). The token belongs to the whole process, so
// enabling and disabling are counted under one lock: the privilege is enabled by the first
// holder and all privileges are disabled again only when the last holder lets go. One thread's
// disabling can therefore never fall between another's enabling and its clock change.
#include <mutex>
#include <string>

#include "platform/privileges.h"

namespace pelto {

inline constexpr char kSystemtimePrivilege[] = "SeSystemtimePrivilege";

// The privilege helpers on a port: outside the NT family there are no privileges, so enabling
// reports success and disabling does nothing.
bool IsWindowsNT(PrivilegePort& port);
bool EnablePrivilege(PrivilegePort& port, const std::string& name);
void DisableAllPrivileges(PrivilegePort& port);

class TimePrivilege {
public:
    explicit TimePrivilege(PrivilegePort& port) : port_(port) {}
    TimePrivilege(const TimePrivilege&) = delete;
    TimePrivilege& operator=(const TimePrivilege&) = delete;

    // True when the caller may now set the clock; it must then call Release once.
    bool Acquire();
    void Release();

private:
    PrivilegePort& port_;
    std::mutex mutex_;
    int holders_ = 0;
};

}  // namespace pelto
