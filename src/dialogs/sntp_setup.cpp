#include "dialogs/sntp_setup.h"

namespace pelto {

const std::array<std::string_view, kCycleEntries>& CycleTexts() {
    // Full-width digits; a one-digit count is led by an ideographic space so the column lines up.
    static const std::array<std::string_view, kCycleEntries> texts = {
        "　３０分", "　１時間", "　２時間", "　３時間", "　４時間", "　５時間", "　６時間",
        "　７時間", "　８時間", "　９時間", "１０時間", "１１時間", "１２時間", "１３時間",
        "１４時間", "１５時間", "１６時間", "１７時間", "１８時間", "１９時間", "２０時間",
        "２１時間", "２２時間", "２３時間", "２４時間",
    };
    return texts;
}

void CopySetupIn(const Settings& clock, SntpSetupFields& dlg) {
    dlg.m_rasCheck = clock.m_rasCheck;
    dlg.m_fullAuto = clock.m_fullAuto;
    dlg.m_exec = clock.m_exec;
    dlg.m_ntpServer1 = clock.m_ntpServer1;
    dlg.m_httpUrl1 = clock.m_httpUrl1;
    dlg.m_ntpServer2 = clock.m_ntpServer2;
    dlg.m_httpUrl2 = clock.m_httpUrl2;
    dlg.m_useHttp = clock.m_useHttp;
    dlg.m_cycle = clock.m_cycle;
}

bool CopySetupBack(const SntpSetupFields& dlg, ClockState& clock) {
    clock.m_rasCheck = dlg.m_rasCheck;
    bool restart = false;
    if (dlg.m_fullAuto != clock.m_fullAuto || dlg.m_exec != clock.m_exec) {
        clock.m_fullAuto = dlg.m_fullAuto;
        clock.m_exec = dlg.m_exec;
        clock.m_syncState = 0;
        restart = true;
    }
    clock.m_httpUrl1 = dlg.m_httpUrl1;
    clock.m_ntpServer1 = dlg.m_ntpServer1;
    clock.m_httpUrl2 = dlg.m_httpUrl2;
    clock.m_ntpServer2 = dlg.m_ntpServer2;
    clock.m_cycle = dlg.m_cycle;
    clock.m_useHttp = dlg.m_useHttp;
    return restart;
}

}  // namespace pelto
