// The commands that change the look of the face: the font chooser, the colour dialog, and the
// calendar a middle click opens.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "app/settings.h"
#include "clock/calendar_dlg.h"
#include "clock/clock_dlg.h"
#include "clock/color_dlg.h"
#include "clock/log_font_win32.h"
#include "platform/text_win32.h"

namespace pelto {

void CPeltoClockDlg::OnChooseFont() {
    m_saveSuppressed = 1;
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    m_windowX = rc.left;
    m_windowY = rc.top;
    ::ShowWindow(m_hWnd, SW_SHOW);

    LOGFONTW lf{};
    ::GetObjectW(m_pFaceFont.get(), sizeof lf, &lf);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!::ChooseFontW(&cf)) {
        m_saveSuppressed = 0;
        return;
    }
    UniqueFont chosen(::CreateFontIndirectW(&lf));
    if (!chosen) {
        ::MessageBoxW(m_hWnd, L"フォントが作成できませんでした。", L"エラー", MB_OK);
        m_saveSuppressed = 0;
        return;
    }
    m_pFaceFont = std::move(chosen);
    ::ShowWindow(m_hWnd, SW_HIDE);
    SettleFace();
    LayoutPlate();
    // Stored as chosen even when its glyphs fell back: the next start in this set falls back alike.
    m_logFont[m_fontSet ? 1 : 0] = ToLogFontA(lf);
    RebuildFace(ClockPort().Time());
    SaveSettings();
    m_saveSuppressed = 0;
    ::ShowWindow(m_hWnd, SW_SHOW);
    Invalidate(true);
}

void CPeltoClockDlg::OnChooseColors() {
    CColorDlg dlg(nullptr);
    dlg.m_onlineColor = m_onlineColor;
    dlg.m_offlineColor = m_offlineColor;
    if (dlg.DoModal() == IDOK) {
        m_onlineColor = dlg.m_onlineColor;
        m_offlineColor = dlg.m_offlineColor;
        Invalidate(true);
    }
    SaveSettings();
}

void CPeltoClockDlg::OpenCalendar() {
    CCalender calendar(nullptr);
    calendar.DoModal();
}

}  // namespace pelto
