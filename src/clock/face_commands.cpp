// The commands that change the look of the face: the font chooser, the colour dialog, and the
// calendar a middle click opens.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "app/settings.h"
#include "clock/calendar_dlg.h"
#include "clock/clock_dlg.h"
#include "clock/color_dlg.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

// A chooser's LOGFONTW as the settings keep it: the face name in code page 932, at most 31 bytes,
// never cut inside a double-byte character.
LogFontA ToLogFontA(const LOGFONTW& lf) {
    LogFontA f{};
    f.lfHeight = lf.lfHeight;
    f.lfWidth = lf.lfWidth;
    f.lfEscapement = lf.lfEscapement;
    f.lfOrientation = lf.lfOrientation;
    f.lfWeight = lf.lfWeight;
    f.lfItalic = lf.lfItalic;
    f.lfUnderline = lf.lfUnderline;
    f.lfStrikeOut = lf.lfStrikeOut;
    f.lfCharSet = lf.lfCharSet;
    f.lfOutPrecision = lf.lfOutPrecision;
    f.lfClipPrecision = lf.lfClipPrecision;
    f.lfQuality = lf.lfQuality;
    f.lfPitchAndFamily = lf.lfPitchAndFamily;
    SetFaceName(f, Narrow(std::wstring_view(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE))));
    return f;
}

}  // namespace

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
