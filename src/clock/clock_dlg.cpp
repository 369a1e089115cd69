// The clock dialog's life: construction, initialisation, the 200 ms tick, the mouse, the menus and
// closing. The face itself (measuring, layout, shape, painting) is in face.cpp.
#include "clock/clock_dlg.h"

#include <windowsx.h>

#include <cstdio>

#include "framework/app.h"
#include "platform/text_win32.h"
#include "resources/resource.h"

namespace pelto {
namespace {

constexpr UINT_PTR kTickTimerId = 1;
constexpr UINT kTickMs = 200;

// The items the clock adds to its system menu, after the system's own.
struct SystemMenuItem {
    UINT id;
    const char* text;  // nullptr: separator
};

}  // namespace

CPeltoClockDlg::CPeltoClockDlg(CWnd* parent, LocalClock& clock)
    : CDialog(IDD_PELTOCLOCK_DIALOG, parent),
      ClockSyncPorts(clock),
      ClockState(clock, ClockSyncPorts::Ports()) {
    m_saveSuppressed = 1;
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    m_icon = ::LoadIconW(inst, MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_hOpenHandCursor = ::LoadCursorW(inst, MAKEINTRESOURCEW(IDC_OPEN_HAND));
    m_hGrabHandCursor = ::LoadCursorW(inst, MAKEINTRESOURCEW(IDC_GRAB_HAND));
    m_hCursor = m_hOpenHandCursor;
    LoadSettings();
    m_online = 0;
    m_syncState = 0;
    m_syncSubState = 0;
}

CPeltoClockDlg::~CPeltoClockDlg() = default;

std::string CPeltoClockDlg::DateText(int64_t calendarTime) const {
    SystemTime t{};
    if (!SecondsToLocal(calendarTime, t)) return {};
    char buf[128];
    const int n = std::snprintf(buf, sizeof buf, "%04u年%02u月%02u日", t.wYear, t.wMonth, t.wDay);
    return n > 0 && n < static_cast<int>(sizeof buf) ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

BOOL CPeltoClockDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    if (m_dateTip.Create(m_hWnd)) m_dateTip.Activate(true);
    SetWindowText("ペルト　時計");
    m_lastSecond = ClockPort().Time();

    m_timerId = SetTimer(kTickTimerId, kTickMs);
    if (m_timerId == 0) {
        ::MessageBoxW(m_hWnd, L"タイマーの初期化に失敗しました", L"エラー", MB_OK);
        return TRUE;
    }

    MakeFaceFont();
    SettleFace();
    LayoutPlate();
    RebuildFace(m_lastSecond);
    m_dateTip.AddTool(m_hWnd, DateText(m_lastSecond));

    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | WS_SYSMENU);
    if (m_topMost) PlaceInZOrder(HWND_TOPMOST, 0);

    if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE)) {
        const SystemMenuItem items[] = {{0, nullptr},
                                        {ID_TOGGLE_24HOUR, "２４時間表示"},
                                        {ID_TOGGLE_TOPMOST, "常に手前に表示"},
                                        {ID_TOGGLE_SECONDS, "秒表示"},
                                        {0, nullptr},
                                        {ID_CHOOSE_FONT, "フォント設定"},
                                        {ID_CHOOSE_COLORS, "カラー設定"}};
        for (const auto& item : items) {
            if (!item.text) {
                ::AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            UINT flags = MF_STRING;
            if ((item.id == ID_TOGGLE_24HOUR && m_hour24) || (item.id == ID_TOGGLE_TOPMOST && m_topMost) ||
                (item.id == ID_TOGGLE_SECONDS && m_showSeconds))
                flags |= MF_CHECKED;
            ::AppendMenuW(sys, flags, item.id, Widen(item.text).c_str());
        }
    }

    m_saveSuppressed = 0;
    m_referenceTime = ClockPort().Now();
    m_syncState = 0;
    m_syncSubState = 0;
    LogSyncNote("起動");
    return TRUE;
}

BOOL CPeltoClockDlg::PreTranslateMessage(MSG* msg) {
    // The whole face answers as caption, so the pointer over it makes non-client mouse messages,
    // which a tooltip does not follow: hand those on as their client-area twins.
    MSG relay = *msg;
    if (msg->hwnd == m_hWnd && msg->message >= WM_NCMOUSEMOVE && msg->message <= WM_NCMBUTTONDBLCLK) {
        POINT pt{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
        ::ScreenToClient(m_hWnd, &pt);
        relay.message = msg->message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
        relay.wParam = 0;
        relay.lParam = MAKELPARAM(pt.x, pt.y);
    }
    m_dateTip.RelayEvent(&relay);
    return CDialog::PreTranslateMessage(msg);
}

void CPeltoClockDlg::OnTimer(UINT_PTR) {
    m_resultPending = false;
    const int64_t now = ClockPort().Time();
    if (now != m_lastSecond) {
        SystemTime newTime{}, oldTime{};
        const bool newOk = SecondsToLocal(now, newTime);
        const bool oldOk = SecondsToLocal(m_lastSecond, oldTime);
        const int newDay = newOk ? newTime.wDay : 0;
        const int oldDay = oldOk ? oldTime.wDay : 0;
        if (newDay != oldDay) m_dateTip.UpdateTipText(DateText(now), m_hWnd);
        RebuildFace(now);
        const int newSecond = newOk ? newTime.wSecond : -1;
        const int oldSecond = oldOk ? oldTime.wSecond : -1;
        if (newSecond != oldSecond && m_fullAuto) {
            const int wasOnline = m_online;
            SchedulerSecondStep();
            if (m_online != wasOnline) Invalidate(true);
        }
        m_lastSecond = now;
    } else {
        SchedulerDriftCheck();
    }
    SchedulerOnlineCheck();
}

void CPeltoClockDlg::OnClose() {
    // A correction thread still waiting for its moment ends here, not after the window.
    StopDriftCorrection();
    ClearLog();
    EndDialog(IDCANCEL);
}

void CPeltoClockDlg::OnExit() { PostMessage(WM_CLOSE, 0, 0); }

// True while the right button is held. The queue's key state is what a press of the right button
// is tested with on Windows; Wine tests the press before it updates that state, so the button's
// live state counts too (physical buttons: swapped buttons put the right one on the left key).
static bool RightButtonDown() {
    const int physicalRight = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON;
    return ((::GetKeyState(VK_RBUTTON) | ::GetAsyncKeyState(physicalRight)) & 0x8000) != 0;
}

LRESULT CPeltoClockDlg::OnNcHitTest() {
    m_hCursor = m_hOpenHandCursor;
    if (!RightButtonDown()) return HTCAPTION;
    m_hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    return HTCLIENT;
}

BOOL CPeltoClockDlg::OnSetCursor() {
    ::SetCursor(m_hCursor);
    return TRUE;
}

void CPeltoClockDlg::OnMouseMove(UINT flags, LPARAM point) {
    m_hCursor = m_hOpenHandCursor;
    ::SetCursor(m_hCursor);
    Default(WM_MOUSEMOVE, flags, point);
}

void CPeltoClockDlg::OnNcLButtonDown(WPARAM hit, LPARAM point) {
    m_hCursor = m_hGrabHandCursor;
    ::SetCursor(m_hCursor);
    Default(WM_NCLBUTTONDOWN, hit, point);
}

void CPeltoClockDlg::OnMove(LPARAM point) {
    Default(WM_MOVE, 0, point);
    m_hCursor = m_hOpenHandCursor;
    if (!m_saveSuppressed) SaveSettings();
}

void CPeltoClockDlg::OnNcLButtonDblClk() {
    SaveSettings();
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    if (m_fontSet) {
        m_fontSet = 0;
        ReadWindowPosition(0, 0, 0);
    } else {
        m_fontSet = 1;
        ReadWindowPosition(1, rc.left, rc.top);
    }
    MakeFaceFont();
    SettleFace();
    LayoutPlate();
    RebuildFace(ClockPort().Time());
}

void CPeltoClockDlg::OnNcMButtonDown(WPARAM hit, LPARAM point) {
    OpenCalendar();
    Default(WM_NCMBUTTONDOWN, hit, point);
}

void CPeltoClockDlg::OnContextMenu(LPARAM point) {
    POINT pt{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    if (pt.x == -1 && pt.y == -1) {
        pt = {0, 0};
        ::ClientToScreen(m_hWnd, &pt);
        pt.x += 5;
        pt.y += 5;
    }
    UniqueMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP_MENU)));
    if (!menu) return;
    ::CheckMenuItem(menu.get(), ID_TOGGLE_24HOUR, MF_BYCOMMAND | (m_hour24 ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu.get(), ID_TOGGLE_TOPMOST, MF_BYCOMMAND | (m_topMost ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(menu.get(), ID_TOGGLE_SECONDS, MF_BYCOMMAND | (m_showSeconds ? MF_CHECKED : MF_UNCHECKED));
    ::EnableMenuItem(menu.get(), ID_SYNC_NOW, MF_BYCOMMAND | MF_ENABLED);
    if (HMENU popup = ::GetSubMenu(menu.get(), 0))
        ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
}

void CPeltoClockDlg::OnSysCommand(WPARAM id, LPARAM lParam) {
    switch (id) {
        case ID_TOGGLE_TOPMOST:
        case ID_TOGGLE_SECONDS:
        case ID_CHOOSE_FONT:
        case ID_CHOOSE_COLORS:
        case ID_TOGGLE_24HOUR:
            OnCommand(static_cast<UINT>(id));
            return;
    }
    Default(WM_SYSCOMMAND, id, lParam);
}

void CPeltoClockDlg::PlaceInZOrder(HWND insertAfter, UINT flags) {
    // Wine moves a window together with its owned popups and keeps it below them, and the date
    // tooltip is such a popup (a topmost one): with it attached the clock can neither enter nor
    // leave the topmost band. Detach the tooltip for the call; on Windows this changes nothing.
    HWND tip = m_dateTip.m_hWnd;
    if (tip) ::SetWindowLongPtrW(tip, GWLP_HWNDPARENT, 0);
    ::SetWindowPos(m_hWnd, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | flags);
    if (tip) ::SetWindowLongPtrW(tip, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_hWnd));
}

void CPeltoClockDlg::SetSystemMenuCheck(UINT id, int checked) {
    if (HMENU sys = ::GetSystemMenu(m_hWnd, FALSE))
        ::CheckMenuItem(sys, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CPeltoClockDlg::OnToggle24Hour() {
    m_hour24 = m_hour24 ? 0 : 1;
    RebuildFace(m_lastSecond);
    SetSystemMenuCheck(ID_TOGGLE_24HOUR, m_hour24);
    SaveSettings();
}

void CPeltoClockDlg::OnToggleSeconds() {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    m_windowX = rc.left;
    m_windowY = rc.top;
    m_showSeconds = m_showSeconds ? 0 : 1;
    RebuildFace(m_lastSecond);
    LayoutPlate();
    ::ShowWindow(m_hWnd, SW_SHOW);
    SetSystemMenuCheck(ID_TOGGLE_SECONDS, m_showSeconds);
    SaveSettings();
}

void CPeltoClockDlg::OnToggleTopmost() {
    if (m_topMost) {
        m_topMost = 0;
        PlaceInZOrder(HWND_BOTTOM, 0);
        PlaceInZOrder(HWND_TOP, SWP_SHOWWINDOW);
        if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) {
            // Wine lets neither the bottom nor the not-topmost place take an owned window out of
            // the topmost band; it does once the window has no owner. Detached for the one call,
            // the clock then goes to the top of the normal windows as it would on Windows.
            HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
            ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, 0);
            PlaceInZOrder(HWND_NOTOPMOST, 0);
            ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
            PlaceInZOrder(HWND_TOP, SWP_SHOWWINDOW);
        }
    } else {
        m_topMost = 1;
        PlaceInZOrder(HWND_TOPMOST, 0);
    }
    SetSystemMenuCheck(ID_TOGGLE_TOPMOST, m_topMost);
    SaveSettings();
}

bool CPeltoClockDlg::OnCommand(UINT id) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            return true;  // Enter and Escape do not close the clock
        case ID_EXIT:
            OnExit();
            return true;
        case ID_TOGGLE_TOPMOST:
            OnToggleTopmost();
            return true;
        case ID_TOGGLE_SECONDS:
            OnToggleSeconds();
            return true;
        case ID_TOGGLE_24HOUR:
            OnToggle24Hour();
            return true;
        case ID_CHOOSE_FONT:
            OnChooseFont();
            return true;
        case ID_CHOOSE_COLORS:
            OnChooseColors();
            return true;
        case ID_SYNC_NOW:
            OnSyncNow();
            return true;
        case ID_NETWORK_SETTINGS:
            OnNetworkSettings();
            return true;
        case ID_SYNC_STATUS:
            OnSyncStatus();
            return true;
    }
    return false;
}

LRESULT CPeltoClockDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_ERASEBKGND:
            return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(OnQueryDragIcon());
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORMSGBOX:
            ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        case WM_NCHITTEST:
            return OnNcHitTest();
        case WM_SETCURSOR:
            return OnSetCursor();
        case WM_MOUSEMOVE:
            OnMouseMove(static_cast<UINT>(wParam), lParam);
            return 0;
        case WM_NCLBUTTONDOWN:
            OnNcLButtonDown(wParam, lParam);
            return 0;
        case WM_NCLBUTTONDBLCLK:
            OnNcLButtonDblClk();
            return 0;
        case WM_NCMBUTTONDOWN:
            OnNcMButtonDown(wParam, lParam);
            return 0;
        case WM_MOVE:
            OnMove(lParam);
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu(lParam);
            return 0;
        case WM_SYSCOMMAND:
            OnSysCommand(wParam, lParam);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0 && OnCommand(LOWORD(wParam))) return 0;
            // Commands the clock does not handle (the About command) go to the application.
            if (HIWORD(wParam) == 0) {
                if (CWinApp* app = AfxGetApp(); app && app->OnCommand(LOWORD(wParam))) return 0;
            }
            break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace pelto
