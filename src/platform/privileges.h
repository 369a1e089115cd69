#pragma once
// The privileges of the process's own token, as the code that sets the clock needs them. The
// Windows implementation opens the process token for every call and releases it on every path.
#include <string>

namespace pelto {

class PrivilegePort {
public:
    virtual ~PrivilegePort() = default;
    // True on the NT family, the only systems whose tokens carry privileges.
    virtual bool IsWindowsNT() = 0;
    // Enables one privilege by name, leaving the others as they are. True only when the token
    // could be opened and adjusted and the system reports that the privilege was assigned (an
    // account without the right gives false).
    virtual bool Enable(const std::string& name) = 0;
    // Disables every privilege of the token; failures are not reported.
    virtual void DisableAll() = 0;
};

#ifdef _WIN32
PrivilegePort& SystemPrivilegePort();
#endif

}  // namespace pelto
