// The clock's settings live in its members; these move them to and from the settings file whose
// path the application fixed at start-up.
#include "app/profile_store.h"
#include "app/settings.h"
#include "clock/clock_dlg.h"
#include "framework/app.h"
#include "platform/file_system.h"

namespace pelto {

void CPeltoClockDlg::LoadSettings() { LoadSettingsFile(*this, NativeFileSystem(), AfxGetProfileName()); }

void CPeltoClockDlg::SaveSettings() {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    m_windowX = rc.left;
    m_windowY = rc.top;
    if (!AfxGetProfileName().empty()) SaveSettingsFile(*this, NativeFileSystem(), AfxGetProfileName());
}

void CPeltoClockDlg::ReadWindowPosition(int set, int defaultX, int defaultY) {
    ProfileFile file;
    ReadProfile(NativeFileSystem(), AfxGetProfileName(), file);
    pelto::ReadWindowPosition(file, set, defaultX, defaultY, m_windowX, m_windowY);
}

}  // namespace pelto
