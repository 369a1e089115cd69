#pragma once
// The base of every window object: one window procedure binds the C++ object to its HWND and
// forwards each message to the object's WindowProc, which derived classes override with a switch
// that cracks the arguments once and calls a handler named after the message.
#include <windows.h>

#include <string>
#include <string_view>

namespace pelto {

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }

    // Text in code page 932 (the program's own encoding); converted at the boundary.
    void SetWindowText(std::string_view text);
    std::string GetWindowText() const;

    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::PostMessageW(m_hWnd, msg, w, l); }

    // Before dispatch, in the modal loop of a dialog; true means the message was consumed.
    virtual BOOL PreTranslateMessage(MSG* msg);

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The processing the window would get without this object: the subclassed procedure or
    // DefWindowProc.
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() {}

public:
    // The procedure of every window class the framework registers; binds at WM_NCCREATE.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    // Routes the messages of an existing window (created by the dialog manager) to this object.
    void Subclass(HWND hwnd);

    WNDPROC m_superProc = nullptr;
};

}  // namespace pelto
