// TEMPORARY: defaults only, until the settings file layer is wired in.
#include <cstring>

#include "clock/clock_dlg.h"

namespace pelto {

void CPeltoClockDlg::LoadSettings() {
    for (int i = 0; i < 10; ++i) m_numChar[i] = std::to_string(i);
    m_colChar = ":";
    for (int set = 0; set < 2; ++set) {
        LogFontA& f = m_logFont[set];
        f = LogFontA{};
        f.lfHeight = set ? 100 : 50;
        f.lfWidth = set ? 50 : 25;
        f.lfWeight = 400;
        f.lfCharSet = 128;
        std::strncpy(f.lfFaceName, "ＭＳ Ｐゴシック", sizeof f.lfFaceName - 1);
    }
    m_onlineColor = 0x00FF00;
    m_offlineColor = 0x00FFFF;
    m_topMost = 1;
    m_hour24 = 1;
    m_fullAuto = 1;
    m_exec = 1;
    m_cycle = 2;
}

void CPeltoClockDlg::SaveSettings() {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    m_windowX = rc.left;
    m_windowY = rc.top;
}

void CPeltoClockDlg::ReadWindowPosition(int, int defaultX, int defaultY) {
    m_windowX = defaultX;
    m_windowY = defaultY;
}

}  // namespace pelto
