// The network settings dialog and the clock's command that opens it.
#include "dialogs/sntp_setup_dlg.h"

#include "app/profile_store.h"
#include "app/server_history.h"
#include "clock/clock_dlg.h"
#include "dialogs/test_dlg.h"
#include "framework/app.h"
#include "framework/ddx.h"
#include "platform/file_system.h"
#include "platform/text_win32.h"
#include "resources/resource.h"

namespace pelto {
CSntpSetupDlg::CSntpSetupDlg(CWnd* parent) : CDialog(IDD_SNTP_SETUP, parent) {}

void CSntpSetupDlg::ExchangeServerBox(CDataExchange& dx, int id, const ServerList& list,
                                      std::string& server) {
    if (dx.m_bSaveAndValidate) {
        server = GetDlgItemText(id);
        return;
    }
    const int index = FindServerPrefix(list, server);
    if (index >= 0)
        ::SendMessageW(GetDlgItem(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else
        SetDlgItemText(id, server);
}

void CSntpSetupDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Check(dx, IDC_FULLAUTO, m_fullAuto);
    DDX_CBIndex(dx, IDC_CYCLE, m_cycle);
    ExchangeServerBox(dx, IDC_NTP_SERVER1, m_lists.first, m_ntpServer1);
    ExchangeServerBox(dx, IDC_NTP_SERVER2, m_lists.second, m_ntpServer2);
    DDX_Check(dx, IDC_EXEC, m_exec);
}

void CSntpSetupDlg::AddServers(int id, const ServerList& list) {
    HWND box = GetDlgItem(id);
    for (const std::string& server : list)
        ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(server).c_str()));
}

void CSntpSetupDlg::RefillServerBox(int id, const ServerList& list) {
    ::SendMessageW(GetDlgItem(id), CB_RESETCONTENT, 0, 0);
    AddServers(id, list);
}

BOOL CSntpSetupDlg::OnInitDialog() {
    HWND cycle = GetDlgItem(IDC_CYCLE);
    for (std::string_view text : CycleTexts())
        ::SendMessageW(cycle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
    // The members go in while the server lists are still empty: each box shows its server text.
    CDialog::OnInitDialog();

    // The cycle shown is the file's, read afresh with the dialog's own default, whatever the clock
    // runs with; OK stores it.
    ProfileFile file;
    ReadProfile(NativeFileSystem(), AfxGetProfileName(), file);
    int fileCycle = LoadDialogCycle(file);
    CDataExchange show(this, false);
    DDX_CBIndex(show, IDC_CYCLE, fileCycle);

    m_lists = ServerLists::Open(LoadServerHistory(file), m_ntpServer1, m_ntpServer2);
    AddServers(IDC_NTP_SERVER1, m_lists.first);
    AddServers(IDC_NTP_SERVER2, m_lists.second);
    if (!m_ntpServer1.empty()) ::SendMessageW(GetDlgItem(IDC_NTP_SERVER1), CB_SETCURSEL, 0, 0);
    if (!m_ntpServer2.empty()) ::SendMessageW(GetDlgItem(IDC_NTP_SERVER2), CB_SETCURSEL, 0, 0);
    return TRUE;
}

void CSntpSetupDlg::OnKillFocusServer(std::string& server) {
    if (m_closing) return;
    UpdateData(true);
    TrimServerText(server);
    if (!server.empty()) {
        m_lists.Remember(server);
        RefillServerBox(IDC_NTP_SERVER1, m_lists.first);
        RefillServerBox(IDC_NTP_SERVER2, m_lists.second);
    }
    UpdateData(false);
}

void CSntpSetupDlg::OnKillFocusServer1() { OnKillFocusServer(m_ntpServer1); }

void CSntpSetupDlg::OnKillFocusServer2() { OnKillFocusServer(m_ntpServer2); }

void CSntpSetupDlg::OnFullAutoClicked() {
    UpdateData(true);
    const BOOL enable = m_fullAuto ? TRUE : FALSE;
    for (int id : {IDC_CYCLE, IDC_CYCLE_LABEL, IDC_EXEC}) ::EnableWindow(GetDlgItem(id), enable);
}

void CSntpSetupDlg::TestServer(const std::string& server) {
    CTestDlg test(nullptr);
    test.m_server = server;
    test.DoModal();
}

void CSntpSetupDlg::OnTestServer1() {
    UpdateData(true);
    TestServer(m_ntpServer1);
}

void CSntpSetupDlg::OnTestServer2() {
    UpdateData(true);
    TestServer(m_ntpServer2);
}

void CSntpSetupDlg::SaveServerList() {
    TrimServerText(m_ntpServer1);
    if (AfxGetProfileName().empty()) return;
    UpdateProfile(NativeFileSystem(), AfxGetProfileName(),
                  [this](ProfileFile& file) { SaveServerHistory(m_lists.first, file); });
}

void CSntpSetupDlg::OnOK() {
    m_closing = true;
    UpdateData(true);
    CDialog::OnOK();
    SaveServerList();
}

void CSntpSetupDlg::OnCancel() {
    m_closing = true;
    CDialog::OnCancel();
}

LRESULT CSntpSetupDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        const int id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (code == BN_CLICKED && id == IDC_FULLAUTO) {
            OnFullAutoClicked();
            return 0;
        }
        if (code == BN_CLICKED && id == IDC_TEST_SERVER1) {
            OnTestServer1();
            return 0;
        }
        if (code == BN_CLICKED && id == IDC_TEST_SERVER2) {
            OnTestServer2();
            return 0;
        }
        if (code == CBN_KILLFOCUS && id == IDC_NTP_SERVER1) {
            OnKillFocusServer1();
            return 0;
        }
        if (code == CBN_KILLFOCUS && id == IDC_NTP_SERVER2) {
            OnKillFocusServer2();
            return 0;
        }
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CPeltoClockDlg::OnNetworkSettings() {
    CSntpSetupDlg dlg(nullptr);
    CopySetupIn(*this, dlg);
    if (dlg.DoModal() != IDOK) return;
    CopySetupBack(dlg, *this);
    SaveSettings();
}

}  // namespace pelto
