// The face: the glyph cell, the plate, the window's shape and its one-colour fill.
//
// The shape is the ink of the text. The text is recorded into a path in transparent mode, so only
// the glyph contours enter it (on Windows and under Wine alike; an opaque run would add its
// background rectangle on Windows only). The path becomes a region with the alternate rule, which
// leaves out the enclosed holes, and that ink is clipped to the plate. Where the text's advance
// (with its seven trailing spaces) stops short of the plate's right edge, the rest of the plate
// shows as a bar, as it would on a plate XOR background-rectangle shape.
#include <windows.h>

#include <cstring>

#include "app/settings.h"
#include "clock/clock_dlg.h"
#include "clock/face_text.h"
#include "clock/log_font_win32.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

// The outline of a text drawn at (0, 0) as a region with the alternate rule; null when the text
// has no ink.
HRGN TextInkRegion(HDC dc, const std::wstring& text) {
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const int oldFill = ::SetPolyFillMode(dc, ALTERNATE);
    HRGN rgn = nullptr;
    if (::BeginPath(dc)) {
        ::TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        if (::EndPath(dc)) rgn = ::PathToRegion(dc);
    }
    ::SetPolyFillMode(dc, oldFill);
    ::SetBkMode(dc, oldMode);
    if (rgn) {
        RECT box{};
        if (::GetRgnBox(rgn, &box) == NULLREGION) {
            ::DeleteObject(rgn);
            rgn = nullptr;
        }
    }
    return rgn;
}

}  // namespace

void CPeltoClockDlg::MakeFaceFont() {
    const LOGFONTW lf = ToLogFontW(m_logFont[m_fontSet ? 1 : 0]);
    m_pFaceFont.reset(::CreateFontIndirectW(&lf));
    if (!m_pFaceFont) UseFallbackFaceFont();
}

void CPeltoClockDlg::UseFallbackFaceFont() {
    LogFontA fallback{};
    fallback.lfHeight = 40;
    fallback.lfWidth = 20;
    fallback.lfWeight = 400;
    fallback.lfCharSet = 128;
    SetFaceName(fallback, "ＭＳ Ｐゴシック");
    const LOGFONTW lf = ToLogFontW(fallback);
    m_pFaceFont.reset(::CreateFontIndirectW(&lf));
}

const std::array<std::string, 10>& CPeltoClockDlg::FaceDigits() const {
    return m_plainGlyphs ? PlainDigits() : m_numChar;
}

const std::string& CPeltoClockDlg::FaceSeparator() const { return m_plainGlyphs ? PlainSeparator() : m_colChar; }

bool CPeltoClockDlg::FaceFitsScreen() const {
    return PlateWidth(1, m_cellSize.cx) <= ::GetSystemMetrics(SM_CXFULLSCREEN) &&
           m_cellSize.cy + 4 <= ::GetSystemMetrics(SM_CYFULLSCREEN);
}

bool CPeltoClockDlg::MeasureGlyphCell() {
    m_cellSize = {};
    m_shapeText.clear();
    WindowDC dc(m_hWnd);
    if (!dc.get()) return false;
    SelectGuard font(dc.get(), m_pFaceFont.get());
    const int screenWidth = ::GetSystemMetrics(SM_CXFULLSCREEN);
    bool ok = true;
    auto measure = [&](const std::string& glyph) {
        const std::wstring w = Widen(glyph);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &extent);
        if (extent.cx > m_cellSize.cx) m_cellSize.cx = extent.cx;
        if (extent.cy > m_cellSize.cy) m_cellSize.cy = extent.cy;
        if (extent.cx == 0 || extent.cy == 0) ok = false;
        // A glyph wider than the screen fails without outlining thousands of characters.
        if (extent.cx > screenWidth) {
            ok = false;
            return;
        }
        if (HRGN ink = TextInkRegion(dc.get(), w))
            ::DeleteObject(ink);
        else
            ok = false;
    };
    const auto& digits = FaceDigits();
    for (int digit = 0; digit < 10 && ok; ++digit) measure(digits[digit]);
    measure(FaceSeparator());
    // A face that cannot fit on the screen even without seconds (a hand-edited height of -5000,
    // say) would cover the desktop with a window too big to grab; it fails like an empty glyph.
    if (!FaceFitsScreen()) ok = false;
    return ok;
}

void CPeltoClockDlg::SettleFace() {
    m_plainGlyphs = false;
    if (MeasureGlyphCell()) return;
    UseFallbackFaceFont();
    if (MeasureGlyphCell() || FaceFitsScreen()) return;
    // Glyph strings too long for any screen: show plain digits rather than a window nobody can
    // grab. The configured strings stay as they are and are saved back unchanged.
    m_plainGlyphs = true;
    MeasureGlyphCell();
}

bool CPeltoClockDlg::LayoutPlate() {
    m_shapeText.clear();
    m_plateWidth = PlateWidth(m_showSeconds, m_cellSize.cx);
    const int screenW = ::GetSystemMetrics(SM_CXFULLSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYFULLSCREEN);
    m_windowX = KeepCentreOnScreen(m_windowX, m_plateWidth / 2, screenW);
    m_windowY = KeepCentreOnScreen(m_windowY, m_cellSize.cy / 2, screenH);
    ::MoveWindow(m_hWnd, m_windowX, m_windowY, m_plateWidth, m_cellSize.cy + 4, TRUE);
    m_plateRgn.reset(::CreateRectRgn(0, 0, m_plateWidth, m_cellSize.cy));
    return true;
}

bool CPeltoClockDlg::RebuildFace(int64_t calendarTime) {
    SystemTime local{};
    if (!SecondsToLocal(calendarTime, local)) return true;  // nothing sensible to show for it
    const std::string text = ComposeFaceText(FaceDigits(), FaceSeparator(), m_hour24, m_showSeconds, local.wHour,
                                             local.wMinute, local.wSecond);
    const std::wstring outline = Widen(text) + L"       ";

    // Without seconds the text changes once a minute: a shape that would come out the same is
    // not built and handed over again, nor the window repainted (under Wine every shape change
    // costs dozens of server round trips). Measuring and laying out forget the last shape.
    if (outline == m_shapeText) return true;

    WindowDC dc(m_hWnd);
    if (!dc.get() || !m_plateRgn) return true;
    {
        SelectGuard font(dc.get(), m_pFaceFont.get());
        HRGN shape = ::CreateRectRgn(0, 0, 0, 0);
        if (HRGN ink = TextInkRegion(dc.get(), outline)) {
            ::CombineRgn(shape, ink, m_plateRgn.get(), RGN_AND);
            ::DeleteObject(ink);
        }
        SIZE advance{};
        ::GetTextExtentPoint32W(dc.get(), outline.c_str(), static_cast<int>(outline.size()), &advance);
        if (advance.cx < m_plateWidth) {
            UniqueRegion strip(::CreateRectRgn(advance.cx, 0, m_plateWidth, m_cellSize.cy));
            ::CombineRgn(shape, shape, strip.get(), RGN_OR);
        }
        if (::SetWindowRgn(m_hWnd, shape, TRUE)) {
            m_windowRgn = shape;  // the window owns it now
            m_shapeText = outline;
        } else {
            ::DeleteObject(shape);
        }
    }
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    if (rc.right - rc.left != m_plateWidth)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_plateWidth, rc.bottom - rc.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate(true);
    return true;
}

BOOL CPeltoClockDlg::OnEraseBkgnd(HDC dc) {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    UniqueBrush brush(::CreateSolidBrush(m_online ? m_onlineColor : m_offlineColor));
    ::FillRect(dc, &rc, brush.get());
    return TRUE;
}

void CPeltoClockDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default(WM_PAINT, 0, 0);
        return;
    }
    PaintDC dc(m_hWnd);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    ::DrawIcon(dc.get(), (rc.right - cx + 1) / 2, (rc.bottom - cy + 1) / 2, m_icon);
}

HCURSOR CPeltoClockDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_icon); }

}  // namespace pelto
