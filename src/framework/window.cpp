#include "framework/window.h"

#include "platform/text_win32.h"

namespace pelto {

void CWnd::SetWindowText(std::string_view text) { ::SetWindowTextW(m_hWnd, Widen(text).c_str()); }

std::string CWnd::GetWindowText() const {
    const int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, w.data(), n + 1);
    w.resize(static_cast<size_t>(got > 0 ? got : 0));
    return Narrow(w);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return Default(msg, wParam, lParam); }

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_superProc) return ::CallWindowProcW(m_superProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

void CWnd::Subclass(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* self = static_cast<CWnd*>(cs->lpCreateParams)) {
            self->m_hWnd = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    auto* self = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    // No exception may unwind into the system's dispatcher.
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self->m_superProc) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->m_superProc));
            self->m_superProc = nullptr;
        }
        self->m_hWnd = nullptr;
        self->PostNcDestroy();
    }
    return result;
}

}  // namespace pelto
