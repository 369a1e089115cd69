#pragma once
// Hands a web address or a "mailto:" address to whatever the user's system opens it with.
#include <string>

namespace pelto {

class ShellPort {
public:
    virtual ~ShellPort() = default;
    // Opens target (code page 932) with the system's "open" action in a normal window. Whether the
    // system found a program for it is not reported: there is nothing the caller could do.
    virtual void Open(const std::string& target) = 0;
};

// ShellExecute on Windows.
ShellPort& SystemShellPort();

}  // namespace pelto
