#include <windows.h>
#include <shellapi.h>

#include "platform/shell_port.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

class Win32ShellPort final : public ShellPort {
public:
    void Open(const std::string& target) override {
        ::ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

}  // namespace

ShellPort& SystemShellPort() {
    static Win32ShellPort port;
    return port;
}

}  // namespace pelto
