#include "app/peltoclock_app.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/settings_path.h"
#include "clock/clock_dlg.h"
#include "resources/resource.h"

namespace pelto {
namespace {

CPeltoClockApp theApp;
std::unique_ptr<CMainFrame> g_frame;

constexpr DWORD kDefaultFrameStyle = 0x00CF8000;  // WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE
constexpr DWORD kHostFrameStyle = 0x80080080;     // WS_POPUP | WS_SYSMENU | 0x80

// WinSock 1.1, as the socket layer the exchange was written for; any other grant is a failure.
bool StartSockets() {
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return false;
    }
    return true;
}

}  // namespace

void CPeltoClockApp::SetProfilePath(const char* fileName) {
    // Without an application-data folder the clock still runs, on its defaults, saving nothing.
    std::string path;
    if (!PrepareSettingsPath(fileName, path)) path.clear();
    m_profileName = path;
}

BOOL CPeltoClockApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);

    SetProfilePath("PELTO.INI");
    if (!StartSockets()) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED, MB_OK);
        return FALSE;
    }
    g_frame = std::make_unique<CMainFrame>();
    m_pMainWnd = g_frame.get();
    if (!g_frame->LoadFrame(IDR_MAINFRAME, kDefaultFrameStyle)) {
        // No frame, no clock: end here rather than show a window that does not exist.
        m_pMainWnd = nullptr;
        return FALSE;
    }
    ::ShowWindow(g_frame->m_hWnd, SW_SHOW);
    ::UpdateWindow(g_frame->m_hWnd);
    return TRUE;
}

bool CPeltoClockApp::OnCommand(UINT id) {
    if (id == ID_APP_ABOUT) {
        ShowAboutDialog();
        return true;
    }
    return false;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    cs.dwExStyle |= WS_EX_TOOLWINDOW;
    cs.style = kHostFrameStyle;
    cs.hMenu = nullptr;
    cs.lpszClass = AfxRegisterWndClass(0);
    return TRUE;
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
    Default(WM_SIZE, type, MAKELPARAM(cx, cy));
    // The platform sends more than one size notification; the clock runs once.
    if (m_clockRun) return;
    m_clockRun = true;
    {
        CPeltoClockDlg clock(nullptr, ProgramClockPort());
        clock.DoModal();
    }
    PostMessage(WM_CLOSE, 0, 0);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SETFOCUS:
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
    }
    return CFrameWnd::WindowProc(msg, wParam, lParam);
}

}  // namespace pelto

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int rc = pelto::AfxWinMain();
    ::WSACleanup();
    return rc;
}
