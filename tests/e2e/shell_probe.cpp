// A test build of the clock program: everything as shipped, except that the shell only writes
// down what it was asked to open (one UTF-8 line per call, into the file named by PELTO_SHELL_LOG)
// instead of starting a browser or a mail program.
#include <windows.h>

#include <string>

#include "app/peltoclock_app.h"
#include "dialogs/about_dlg.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

class RecordingShell final : public ShellPort {
public:
    void Open(const std::string& target) override {
        wchar_t path[MAX_PATH] = {};
        if (!::GetEnvironmentVariableW(L"PELTO_SHELL_LOG", path, MAX_PATH)) return;
        const std::wstring wide = Widen(target) + L"\n";
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                            0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr,
                              nullptr);
        HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        ::CloseHandle(file);
    }
};

RecordingShell g_shell;
const bool g_installed = (ReplaceProgramShellPort(&g_shell), true);

}  // namespace

LocalClock& ProgramClockPort() { return SystemLocalClock(); }

}  // namespace pelto
