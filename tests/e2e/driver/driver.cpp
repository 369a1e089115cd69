// pelto-driver: the test tree's hands inside Wine. It reads one command per line on standard
// input (UTF-8) and answers each with one line: "OK ..." or "ERR ...". The end-to-end tests keep
// one driver running per test and talk to it through a pipe.
//
// Commands (window handles are hexadecimal, as printed):
//   find TITLE [CLASS]          visible top-level window with exactly this title (and class) -> HWND
//   wait TITLE TIMEOUT_MS       the same, polling until it exists
//   gone HWND TIMEOUT_MS        waits until the window no longer exists
//   info HWND                   class, style, exstyle, owner, owner's exstyle, visible, enabled, rect
//   text HWND [ID]              window text (of a child control with that id)
//   item HWND ID                a dialog's control with that id -> HWND (for info, send, post)
//   settext HWND ID TEXT        sets a control's text
//   post HWND MSG WPARAM LPARAM / send HWND MSG WPARAM LPARAM   (decimal or 0x.. numbers)
//   command HWND ID             posts WM_COMMAND(ID)
//   click HWND ID               presses a button of a dialog (BM_CLICK, posted)
//   check HWND ID               check state of a button: 0, 1 or 2
//   region HWND                 the window's shape: box of its region, or "none"
//   inregion HWND X Y           1 when the window-relative point is in its shape
//   sysmenu HWND                the system menu's items: id:checked:text, separated by '|'
//   popups HWND                 enabled top-level windows owned by HWND: handle:class:title, '|'
//   combo HWND ID               items of a combo box or list box, '|'
//   visible CLASS               visible top-level windows of a class: handle:title, '|'
//   controls HWND               child controls: id:class:text, '|'
//   above HWND                  visible top-level windows above it in the z-order: handle:exstyle, '|'
//   move HWND X Y               moves the window's top-left corner there, as a window manager would
//   quit
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string ToUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void Reply(const std::string& line) {
    std::string out = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
}

bool ReadLine(std::string& line) {
    line.clear();
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char c;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n') return true;
        if (c != '\r') line += c;
    }
    return !line.empty();
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    std::istringstream is(line);
    std::string p;
    while (is >> p) parts.push_back(p);
    return parts;
}

// Everything after the first n words, as it stands (titles and texts may hold blanks).
std::string Rest(const std::string& line, size_t n) {
    size_t pos = 0;
    for (size_t i = 0; i < n; ++i) {
        pos = line.find_first_not_of(' ', pos);
        pos = line.find(' ', pos);
        if (pos == std::string::npos) return {};
    }
    return line.substr(pos + 1);
}

long long Num(const std::string& s) { return std::strtoll(s.c_str(), nullptr, 0); }
HWND Hwnd(const std::string& s) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(s.c_str(), nullptr, 16))); }

std::string Hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

std::wstring TextOf(HWND h) {
    // Sized from the control's own length: a journal of 1000 lines is longer than any fixed buffer.
    const LRESULT length = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT n = SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256];
    const int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}

struct FindArgs {
    std::wstring title;
    std::wstring cls;
    HWND found = nullptr;
};

HWND FindTop(const std::wstring& title, const std::wstring& cls) {
    FindArgs args{title, cls};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<FindArgs*>(lp);
            wchar_t buf[512];
            const int n = GetWindowTextW(h, buf, 512);
            if (std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0)) != a->title) return TRUE;
            if (!a->cls.empty() && ClassOf(h) != a->cls) return TRUE;
            // A dialog is shown once its initialisation is over; before that it is not ready.
            if (!IsWindowVisible(h)) return TRUE;
            a->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
}

std::string Handle(const std::string& line) {
    const auto w = Split(line);
    if (w.empty()) return "ERR empty";
    const std::string& cmd = w[0];
    if (cmd == "find" || cmd == "wait") {
        if (w.size() < 2) return "ERR usage";
        std::wstring title;
        std::wstring cls;
        int timeout = 0;
        if (cmd == "find") {
            title = FromUtf8(w[1]);
            if (w.size() > 2) cls = FromUtf8(w[2]);
        } else {
            title = FromUtf8(w[1]);
            timeout = w.size() > 2 ? static_cast<int>(Num(w[2])) : 5000;
        }
        // Titles are given with '_' for blanks of U+0020 (the command line splits on blanks).
        for (auto& ch : title)
            if (ch == L'_') ch = L' ';
        const DWORD start = GetTickCount();
        for (;;) {
            if (HWND h = FindTop(title, cls)) return "OK " + Hex(h);
            if (static_cast<int>(GetTickCount() - start) >= timeout) return "ERR not found";
            Sleep(50);
        }
    }
    if (cmd == "visible" && w.size() >= 2) {
        struct Args {
            std::wstring cls;
            std::string out;
        } args{FromUtf8(w[1]), "OK "};
        EnumWindows(
            [](HWND top, LPARAM lp) -> BOOL {
                auto* a = reinterpret_cast<Args*>(lp);
                if (IsWindowVisible(top) && ClassOf(top) == a->cls) a->out += Hex(top) + ":" + ToUtf8(TextOf(top)) + "|";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&args));
        return args.out;
    }
    if (cmd == "gone" && w.size() >= 3) {
        const HWND h = Hwnd(w[1]);
        const DWORD start = GetTickCount();
        while (IsWindow(h)) {
            if (static_cast<long long>(GetTickCount() - start) >= Num(w[2])) return "ERR still there";
            Sleep(50);
        }
        return "OK";
    }
    if (w.size() < 2) return "ERR usage";
    const HWND h = Hwnd(w[1]);
    if (cmd != "quit" && !IsWindow(h)) return "ERR no window";
    if (cmd == "info") {
        RECT r{};
        GetWindowRect(h, &r);
        HWND owner = GetWindow(h, GW_OWNER);
        char buf[512];
        std::snprintf(buf, sizeof buf, "class=%s style=%lx exstyle=%lx owner=%s ownerex=%lx visible=%d enabled=%d rect=%ld,%ld,%ld,%ld",
                      ToUtf8(ClassOf(h)).c_str(), static_cast<unsigned long>(GetWindowLongW(h, GWL_STYLE)),
                      static_cast<unsigned long>(GetWindowLongW(h, GWL_EXSTYLE)), Hex(owner).c_str(),
                      owner ? static_cast<unsigned long>(GetWindowLongW(owner, GWL_EXSTYLE)) : 0ul,
                      IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0, r.left, r.top, r.right, r.bottom);
        return std::string("OK ") + buf;
    }
    if (cmd == "text") {
        HWND target = w.size() > 2 ? GetDlgItem(h, static_cast<int>(Num(w[2]))) : h;
        if (!target) return "ERR no control";
        std::string t = ToUtf8(TextOf(target));
        for (auto& ch : t) {
            if (ch == '\r') ch = '\x1e';  // keep the answer on one line; the tests map these back
            if (ch == '\n') ch = '\x1f';
        }
        return "OK " + t;
    }
    if (cmd == "item" && w.size() >= 3) {
        HWND target = GetDlgItem(h, static_cast<int>(Num(w[2])));
        if (!target) return "ERR no control";
        return "OK " + Hex(target);
    }
    if (cmd == "settext" && w.size() >= 3) {
        HWND target = GetDlgItem(h, static_cast<int>(Num(w[2])));
        if (!target) return "ERR no control";
        SendMessageW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FromUtf8(Rest(line, 3)).c_str()));
        return "OK";
    }
    if ((cmd == "post" || cmd == "send") && w.size() >= 5) {
        const UINT msg = static_cast<UINT>(Num(w[2]));
        const WPARAM wp = static_cast<WPARAM>(Num(w[3]));
        const LPARAM lp = static_cast<LPARAM>(Num(w[4]));
        if (cmd == "post") return PostMessageW(h, msg, wp, lp) ? "OK" : "ERR post failed";
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) return "ERR timeout";
        return "OK " + std::to_string(static_cast<long long>(result));
    }
    if (cmd == "command" && w.size() >= 3)
        return PostMessageW(h, WM_COMMAND, static_cast<WPARAM>(Num(w[2])), 0) ? "OK" : "ERR post failed";
    if (cmd == "click" && w.size() >= 3) {
        HWND button = GetDlgItem(h, static_cast<int>(Num(w[2])));
        if (!button) return "ERR no control";
        return PostMessageW(button, BM_CLICK, 0, 0) ? "OK" : "ERR post failed";
    }
    if (cmd == "check" && w.size() >= 3) {
        HWND button = GetDlgItem(h, static_cast<int>(Num(w[2])));
        if (!button) return "ERR no control";
        return "OK " + std::to_string(SendMessageW(button, BM_GETCHECK, 0, 0));
    }
    if (cmd == "region") {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(h, rgn);
        RECT box{};
        GetRgnBox(rgn, &box);
        DeleteObject(rgn);
        if (kind == ERROR) return "OK none";
        char buf[128];
        std::snprintf(buf, sizeof buf, "OK %ld,%ld,%ld,%ld", box.left, box.top, box.right, box.bottom);
        return buf;
    }
    if (cmd == "inregion" && w.size() >= 4) {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(h, rgn);
        const BOOL in = kind != ERROR && PtInRegion(rgn, static_cast<int>(Num(w[2])), static_cast<int>(Num(w[3])));
        DeleteObject(rgn);
        return in ? "OK 1" : "OK 0";
    }
    if (cmd == "sysmenu") {
        HMENU menu = GetSystemMenu(h, FALSE);
        if (!menu) return "ERR no system menu";
        std::string out = "OK ";
        for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
            wchar_t buf[256] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), buf, 256, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            out += std::to_string(GetMenuItemID(menu, i)) + ":" + ((state & MF_CHECKED) ? "1" : "0") + ":" +
                   ToUtf8(buf) + "|";
        }
        return out;
    }
    if (cmd == "popups") {
        struct Args {
            HWND owner;
            std::string out;
        } args{h, "OK "};
        EnumWindows(
            [](HWND top, LPARAM lp) -> BOOL {
                auto* a = reinterpret_cast<Args*>(lp);
                if (GetWindow(top, GW_OWNER) == a->owner && IsWindowVisible(top))
                    a->out += Hex(top) + ":" + ToUtf8(ClassOf(top)) + ":" + ToUtf8(TextOf(top)) + "|";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&args));
        return args.out;
    }
    if (cmd == "controls") {
        struct Args {
            std::string out;
        } args{"OK "};
        EnumChildWindows(
            h,
            [](HWND child, LPARAM lp) -> BOOL {
                auto* a = reinterpret_cast<Args*>(lp);
                a->out += std::to_string(GetDlgCtrlID(child)) + ":" + ToUtf8(ClassOf(child)) + ":" +
                          ToUtf8(TextOf(child)) + "|";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&args));
        for (auto& ch : args.out)
            if (ch == '\r' || ch == '\n') ch = ' ';
        return args.out;
    }
    if (cmd == "above") {
        std::string out = "OK ";
        for (HWND prev = GetWindow(h, GW_HWNDPREV); prev; prev = GetWindow(prev, GW_HWNDPREV)) {
            if (!IsWindowVisible(prev)) continue;
            char ex[16];
            std::snprintf(ex, sizeof ex, "%lx", static_cast<unsigned long>(GetWindowLongW(prev, GWL_EXSTYLE)));
            out += Hex(prev) + ":" + ex + "|";
        }
        return out;
    }
    if (cmd == "combo" && w.size() >= 3) {
        HWND box = GetDlgItem(h, static_cast<int>(Num(w[2])));
        if (!box) return "ERR no control";
        const bool isList = ClassOf(box) == L"ListBox";
        const UINT countMsg = isList ? LB_GETCOUNT : CB_GETCOUNT;
        const UINT lenMsg = isList ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
        const UINT textMsg = isList ? LB_GETTEXT : CB_GETLBTEXT;
        std::string out = "OK ";
        const LRESULT n = SendMessageW(box, countMsg, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            std::wstring item(static_cast<size_t>(SendMessageW(box, lenMsg, i, 0)) + 1, L'\0');
            SendMessageW(box, textMsg, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(wcslen(item.c_str()));
            out += ToUtf8(item) + "|";
        }
        return out;
    }
    if (cmd == "move" && w.size() >= 4) {
        const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
        return SetWindowPos(h, nullptr, static_cast<int>(Num(w[2])), static_cast<int>(Num(w[3])), 0, 0, flags)
                   ? "OK"
                   : "ERR move failed";
    }
    return "ERR unknown command";
}

}  // namespace

int main() {
    std::string line;
    while (ReadLine(line)) {
        if (line == "quit") break;
        if (line.empty()) continue;
        Reply(Handle(line));
    }
    return 0;
}
