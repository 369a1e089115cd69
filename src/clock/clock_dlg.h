#pragma once
// The clock: a captionless pop-up dialog whose shape is the ink of the time it shows. It owns the
// whole state of the running clock (ClockState) and drives everything from one 200 ms timer.
#include <windows.h>

#include <array>
#include <ctime>
#include <string>

#include "clock/clock_state.h"
#include "clock/clock_sync_ports.h"
#include "framework/dialog.h"
#include "framework/handle.h"
#include "framework/tooltip.h"

namespace pelto {

// The synchronisation's ports come before the state that uses them and go after it.
class CPeltoClockDlg : public CDialog, private ClockSyncPorts, public ClockState {
public:
    explicit CPeltoClockDlg(CWnd* parent = nullptr, LocalClock& clock = SystemLocalClock());
    ~CPeltoClockDlg() override;

    void LoadSettings();
    void SaveSettings();

    // The face (glyph cell, plate, shape).
    bool MeasureGlyphCell();
    bool LayoutPlate();
    bool RebuildFace(int64_t calendarTime);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnExit();
    BOOL OnEraseBkgnd(HDC dc);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    LRESULT OnNcHitTest();
    BOOL OnSetCursor();
    void OnMouseMove(UINT flags, LPARAM point);
    void OnNcLButtonDown(WPARAM hit, LPARAM point);
    void OnNcLButtonDblClk();
    void OnNcMButtonDown(WPARAM hit, LPARAM point);
    void OnMove(LPARAM point);
    void OnContextMenu(LPARAM point);
    void OnSysCommand(WPARAM id, LPARAM lParam);
    void OnToggleTopmost();
    void OnToggleSeconds();
    void OnToggle24Hour();
    bool OnCommand(UINT id);

    // Font, colours and calendar.
    void OnChooseFont();
    void OnChooseColors();
    void OpenCalendar();
    // Dialogs of the synchronisation.
    void OnSyncNow();
    void OnNetworkSettings();
    void OnSyncStatus();
    // The scheduler's share of the tick: per new second, between seconds, on every tick.
    void SchedulerSecondStep();
    void SchedulerDriftCheck();
    void SchedulerOnlineCheck();
    // The stored window position of a font set (WNDPOINTX_n / WNDPOINTY_n) into m_windowX/Y.
    void ReadWindowPosition(int set, int defaultX, int defaultY);

private:
    // The face font of the active set, or the fallback face font when it cannot be made.
    void MakeFaceFont();
    void UseFallbackFaceFont();
    // Measures the face in the current font; when it fails, falls back to the fallback face font
    // and, when even that cannot fit on the screen, to plain digits.
    void SettleFace();
    bool FaceFitsScreen() const;
    const std::array<std::string, 10>& FaceDigits() const;
    const std::string& FaceSeparator() const;
    void SetSystemMenuCheck(UINT id, int checked);
    void PlaceInZOrder(HWND insertAfter, UINT flags);
    std::string DateText(int64_t calendarTime) const;

public:
    UniqueFont m_pFaceFont;
    UniqueRegion m_plateRgn;
    HRGN m_windowRgn = nullptr;  // owned by the window once handed over
    CToolTipCtrl m_dateTip;
    HCURSOR m_hCursor = nullptr;
    HCURSOR m_hOpenHandCursor = nullptr;
    HCURSOR m_hGrabHandCursor = nullptr;
    HICON m_icon = nullptr;
    bool m_plainGlyphs = false;  // the face shows "0".."9" and ":" instead of the glyph strings
    std::wstring m_shapeText;    // the outline text of the shape the window has now
};

}  // namespace pelto
