#include "framework/tooltip.h"

#include "platform/text_win32.h"

namespace pelto {
namespace {

TTTOOLINFOW WindowTool(HWND tool, std::wstring& text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = tool;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = text.data();
    return ti;
}

}  // namespace

bool CToolTipCtrl::Create(HWND parent, DWORD style) {
    m_hWnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, ::GetModuleHandleW(nullptr),
                               nullptr);
    return m_hWnd != nullptr;
}

void CToolTipCtrl::DestroyWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CToolTipCtrl::Activate(bool on) {
    if (m_hWnd) ::SendMessageW(m_hWnd, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

void CToolTipCtrl::AddTool(HWND tool, const std::string& text) {
    if (!m_hWnd) return;
    std::wstring w = Widen(text);
    TTTOOLINFOW ti = WindowTool(tool, w);
    ::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(const std::string& text, HWND tool) {
    if (!m_hWnd) return;
    std::wstring w = Widen(text);
    TTTOOLINFOW ti = WindowTool(tool, w);
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
    if (m_hWnd) ::SendMessageW(m_hWnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
}

}  // namespace pelto
