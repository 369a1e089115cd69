// win_driver: steers a Windows program from outside for the end-to-end tests, the way a user would
// see it: finds its windows, reads control texts, presses buttons, waits for it to end.
//
// usage: win_driver STEP...   (run under Wine through scripts/wine-run)
//   start PROGRAM            start PROGRAM (a Windows path); later steps look only at its windows
//   find CLASS TITLE MS      wait up to MS ms for a visible top-level window of that class and
//                            title ("*" matches any); it becomes the current window
//   windows                  list the visible top-level windows
//   controls                 list the current window's controls
//   text ID                  print the text of control ID of the current window ("-": the window)
//   press ID                 press button ID of the current window
//   post MSG WPARAM LPARAM   post a message to the current window (numbers decimal or 0x-hex)
//   wait-gone MS             wait up to MS ms for the current window to go away
//   wait-exit MS             wait up to MS ms for the started program to end
//   sleep MS
//
// Every result is one UTF-8 line of tab-separated fields, texts escaped (\\ \t \n \r):
//   started PID | found HWND CLASS TITLE | window HWND CLASS TITLE | control ID CLASS TEXT |
//   text ID TEXT | exit CODE
// Exit status 0 when every step succeeded; otherwise 2, with the reason on stderr, and a program
// this run started is ended so no test leaves it behind.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\t':
                out += L"\\t";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Raw bytes to the handle: the C runtime's text mode would turn "\n" into "\r\n".
void WriteTo(DWORD which, const std::wstring& line) {
    const std::string bytes = Utf8(line + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Out(const std::vector<std::wstring>& fields) {
    std::wstring line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? L"" : L"\t") + fields[i];
    WriteTo(STD_OUTPUT_HANDLE, line);
}

std::wstring Hex(const void* p) {
    wchar_t buffer[32];
    swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buffer;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// WM_GETTEXT with a timeout, so a hung program fails the step instead of hanging the driver.
bool TextOf(HWND hwnd, std::wstring& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return false;
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return false;
    }
    buffer.resize(copied);
    text = buffer;
    return true;
}

class CDriver {
  public:
    ~CDriver() {
        if (m_process.hProcess != nullptr) CloseHandle(m_process.hProcess);
    }

    bool Run(const std::vector<std::wstring>& args) {
        size_t i = 0;
        auto next = [&](std::wstring& value) {
            if (i >= args.size()) return Fail(L"missing argument");
            value = args[i++];
            return true;
        };
        while (i < args.size()) {
            const std::wstring step = args[i++];
            std::wstring a, b, c;
            bool ok = false;
            if (step == L"start") {
                ok = next(a) && Start(a);
            } else if (step == L"find") {
                ok = next(a) && next(b) && next(c) && Find(a, b, Number(c));
            } else if (step == L"windows") {
                ok = ListWindows();
            } else if (step == L"controls") {
                ok = ListControls();
            } else if (step == L"text") {
                ok = next(a) && PrintText(a);
            } else if (step == L"press") {
                ok = next(a) && Press(a);
            } else if (step == L"post") {
                ok = next(a) && next(b) && next(c) && Post(Number(a), Number(b), Number(c));
            } else if (step == L"wait-gone") {
                ok = next(a) && WaitGone(Number(a));
            } else if (step == L"wait-exit") {
                ok = next(a) && WaitExit(Number(a));
            } else if (step == L"sleep") {
                ok = next(a);
                if (ok) Sleep(static_cast<DWORD>(Number(a)));
            } else {
                ok = Fail(L"unknown step " + step);
            }
            if (!ok) {
                WriteTo(STD_ERROR_HANDLE, L"win_driver: step " + step + L" failed: " + m_error);
                EndStarted();
                return false;
            }
        }
        return true;
    }

  private:
    static unsigned long long Number(const std::wstring& text) {
        return std::wcstoull(text.c_str(), nullptr, 0);
    }

    bool Fail(const std::wstring& why) {
        m_error = why;
        return false;
    }

    bool Start(const std::wstring& program) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process)) {
            return Fail(L"CreateProcess error " + std::to_wstring(GetLastError()));
        }
        CloseHandle(m_process.hThread);
        m_process.hThread = nullptr;
        Out({L"started", std::to_wstring(m_process.dwProcessId)});
        return true;
    }

    // Visible top-level windows, of the started program when there is one.
    std::vector<HWND> TopLevelWindows() const {
        struct Search {
            DWORD pid;
            std::vector<HWND> found;
        } search{m_process.dwProcessId, {}};
        EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (IsWindowVisible(hwnd) && (s->pid == 0 || pid == s->pid)) s->found.push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    bool Find(const std::wstring& className, const std::wstring& title, unsigned long long ms) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        for (;;) {
            for (HWND hwnd : TopLevelWindows()) {
                std::wstring text;
                if ((className == L"*" || ClassOf(hwnd) == className) && TextOf(hwnd, text) &&
                    (title == L"*" || text == title)) {
                    m_window = hwnd;
                    Out({L"found", Hex(hwnd), ClassOf(hwnd), Escape(text)});
                    return true;
                }
            }
            if (GetTickCount64() >= deadline) return Fail(L"no window " + className + L" " + title);
            Sleep(50);
        }
    }

    bool ListWindows() {
        for (HWND hwnd : TopLevelWindows()) {
            std::wstring text;
            TextOf(hwnd, text);
            Out({L"window", Hex(hwnd), ClassOf(hwnd), Escape(text)});
        }
        return true;
    }

    bool ListControls() {
        if (!HaveWindow()) return false;
        std::vector<HWND> children;
        EnumChildWindows(
            m_window,
            [](HWND hwnd, LPARAM param) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            std::wstring text;
            TextOf(child, text);
            Out({L"control", std::to_wstring(static_cast<unsigned>(GetDlgCtrlID(child))), ClassOf(child),
                 Escape(text)});
        }
        return true;
    }

    bool HaveWindow() { return IsWindow(m_window) ? true : Fail(L"no current window"); }

    bool Control(const std::wstring& id, HWND& control) {
        if (!HaveWindow()) return false;
        control = id == L"-" ? m_window : GetDlgItem(m_window, static_cast<int>(Number(id)));
        return control != nullptr ? true : Fail(L"no control " + id);
    }

    bool PrintText(const std::wstring& id) {
        HWND control = nullptr;
        std::wstring text;
        if (!Control(id, control)) return false;
        if (!TextOf(control, text)) return Fail(L"no answer to WM_GETTEXT");
        Out({L"text", id, Escape(text)});
        return true;
    }

    // The notification the button itself would send when clicked, posted so that a modal loop the
    // press starts in the program does not block the driver.
    bool Press(const std::wstring& id) {
        HWND button = nullptr;
        if (!Control(id, button)) return false;
        const WPARAM command = MAKEWPARAM(static_cast<WORD>(Number(id)), BN_CLICKED);
        return PostMessageW(m_window, WM_COMMAND, command, reinterpret_cast<LPARAM>(button))
                   ? true
                   : Fail(L"PostMessage error " + std::to_wstring(GetLastError()));
    }

    bool Post(unsigned long long message, unsigned long long wParam, unsigned long long lParam) {
        if (!HaveWindow()) return false;
        return PostMessageW(m_window, static_cast<UINT>(message), static_cast<WPARAM>(wParam),
                            static_cast<LPARAM>(lParam))
                   ? true
                   : Fail(L"PostMessage error " + std::to_wstring(GetLastError()));
    }

    bool WaitGone(unsigned long long ms) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        while (IsWindow(m_window)) {
            if (GetTickCount64() >= deadline) return Fail(L"window still there");
            Sleep(50);
        }
        return true;
    }

    bool WaitExit(unsigned long long ms) {
        if (m_process.hProcess == nullptr) return Fail(L"nothing started");
        if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) {
            ListWindows();  // what the program is still showing tells why it did not end
            return Fail(L"program still running");
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        Out({L"exit", std::to_wstring(code)});
        CloseHandle(m_process.hProcess);
        m_process.hProcess = nullptr;
        return true;
    }

    void EndStarted() {
        if (m_process.hProcess == nullptr) return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 3);
    }

    PROCESS_INFORMATION m_process = {};
    HWND m_window = nullptr;
    std::wstring m_error;
};

}  // namespace

int main() {
    // Wine hands argv over in the ANSI code page; the wide command line keeps every character.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return 2;
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);
    CDriver driver;
    return driver.Run(args) ? 0 : 2;
}
