#include "framework/frame.h"

#include <cstdio>
#include <map>
#include <string>
#include <tuple>

#include "framework/app.h"
#include "platform/text_win32.h"

namespace pelto {

const wchar_t* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::wstring> registered;
    const auto key = std::make_tuple(classStyle, cursor, background, icon);
    if (auto it = registered.find(key); it != registered.end()) return it->second.c_str();
    wchar_t name[64];
    std::swprintf(name, 64, L"PeltoWnd:%u:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSW wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
    return registered.emplace(key, name).first->second.c_str();
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)),
                                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    const std::wstring title = Widen(LoadResourceString(resourceId));
    CREATESTRUCTW cs{};
    cs.hInstance = inst;
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = ::LoadMenuW(inst, MAKEINTRESOURCEW(resourceId));
    cs.lpszName = title.c_str();
    cs.style = style;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.lpCreateParams = this;
    HMENU loaded = cs.hMenu;
    if (!PreCreateWindow(cs)) {
        if (loaded) ::DestroyMenu(loaded);
        return false;
    }
    if (loaded && cs.hMenu != loaded) ::DestroyMenu(loaded);
    HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, inst, this);
    if (!hwnd && cs.hMenu) ::DestroyMenu(cs.hMenu);
    return hwnd != nullptr;
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
        if (CWinApp* app = AfxGetApp(); app && app->OnCommand(LOWORD(wParam))) return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CFrameWnd::PostNcDestroy() {
    // The main frame's end is the program's end.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}

}  // namespace pelto
