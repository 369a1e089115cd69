#include "sync/time_privilege.h"

namespace pelto {

bool IsWindowsNT(PrivilegePort& port) { return port.IsWindowsNT(); }

bool EnablePrivilege(PrivilegePort& port, const std::string& name) {
    if (!port.IsWindowsNT()) return true;
    return port.Enable(name);
}

void DisableAllPrivileges(PrivilegePort& port) {
    if (!port.IsWindowsNT()) return;
    port.DisableAll();
}

bool TimePrivilege::Acquire() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (holders_ == 0 && !EnablePrivilege(port_, kSystemtimePrivilege)) return false;
    ++holders_;
    return true;
}

void TimePrivilege::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (holders_ == 0) return;
    if (--holders_ == 0) DisableAllPrivileges(port_);
}

}  // namespace pelto
