#include "clock/color_dlg.h"

#include <commdlg.h>

#include "resources/resource.h"

namespace pelto {
namespace {

// Ten ideographic spaces: the swatch shows only its background colour.
constexpr wchar_t kSwatchText[] = L"\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000\x3000";

}  // namespace

CColorDlg::CColorDlg(CWnd* parent) : CDialog(IDD_COLOR_DIALOG, parent) {}

bool CColorDlg::PickColor(uint32_t& colour) {
    static COLORREF custom[16];
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = colour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    if (!::ChooseColorW(&cc)) return false;
    colour = cc.rgbResult;
    return true;
}

void CColorDlg::OnSetOnlineColor() {
    if (PickColor(m_onlineColor)) Invalidate(true);
}

void CColorDlg::OnSetOfflineColor() {
    if (PickColor(m_offlineColor)) Invalidate(true);
}

LRESULT CColorDlg::OnCtlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT brush = Default(message, wParam, lParam);
    if (message != WM_CTLCOLORSTATIC) return brush;
    const int id = ::GetDlgCtrlID(control);
    if (id != IDC_ONLINE_SWATCH && id != IDC_OFFLINE_SWATCH) return brush;
    const COLORREF colour = id == IDC_ONLINE_SWATCH ? m_onlineColor : m_offlineColor;
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, colour);
    ::SetTextColor(dc, colour ^ 0xFFFFFF);
    // Setting the text repaints the control, which asks for its colours again: only set it when it
    // differs, or the two would call each other for ever.
    wchar_t current[16] = {};
    ::GetWindowTextW(control, current, 16);
    if (wcscmp(current, kSwatchText) != 0) ::SetWindowTextW(control, kSwatchText);
    return brush;
}

LRESULT CColorDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
            return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg, wParam, lParam);
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                if (LOWORD(wParam) == IDC_SET_ONLINE_COLOR) {
                    OnSetOnlineColor();
                    return 0;
                }
                if (LOWORD(wParam) == IDC_SET_OFFLINE_COLOR) {
                    OnSetOfflineColor();
                    return 0;
                }
            }
            break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace pelto
