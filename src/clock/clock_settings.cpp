// The clock's settings live in its members; these move them to and from the settings file whose
// path the application fixed at start-up.
#include "app/profile_store.h"
#include "app/settings.h"
#include "clock/clock_dlg.h"
#include "framework/app.h"
#include "platform/file_system.h"

namespace pelto {
namespace {

const std::string& ProfilePath() {
    static const std::string none;
    CWinApp* app = AfxGetApp();
    return app ? app->m_profileName : none;
}

}  // namespace

void CPeltoClockDlg::LoadSettings() { LoadSettingsFile(*this, NativeFileSystem(), ProfilePath()); }

void CPeltoClockDlg::SaveSettings() {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    m_windowX = rc.left;
    m_windowY = rc.top;
    if (!ProfilePath().empty()) SaveSettingsFile(*this, NativeFileSystem(), ProfilePath());
}

void CPeltoClockDlg::ReadWindowPosition(int set, int defaultX, int defaultY) {
    ProfileFile file;
    ReadProfile(NativeFileSystem(), ProfilePath(), file);
    pelto::ReadWindowPosition(file, set, defaultX, defaultY, m_windowX, m_windowY);
}

}  // namespace pelto
