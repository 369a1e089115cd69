#include "dialogs/test_dlg.h"

#include "framework/ddx.h"
#include "resources/resource.h"
#include "sync/sntp_query.h"

namespace pelto {

CTestDlg::CTestDlg(CWnd* parent) : CDialog(IDD_CONNECTION_TEST, parent) {}

void CTestDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, IDC_TEST_SERVER_LABEL, m_serverLabel);
    DDX_Text(dx, IDC_TEST_SERVER, m_server);
    DDX_Text(dx, IDC_REQUEST_TIME, m_requestTimeText);
    DDX_Text(dx, IDC_SERVER_RECEIVE_TIME, m_serverReceiveTimeText);
    DDX_Text(dx, IDC_SERVER_TRANSMIT_TIME, m_serverTransmitTimeText);
    DDX_Text(dx, IDC_REPLY_TIME, m_replyTimeText);
    DDX_Text(dx, IDC_CORRECT_TIME, m_correctTimeText);
    DDX_Text(dx, IDC_RESULT_LINE, m_resultLine);
}

BOOL CTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_serverLabel = "ＮＴＰ　サーバー";
    UpdateData(false);
    return TRUE;
}

void CTestDlg::OnConnectionTest() {
    // The exchange blocks this thread for up to its reply wait; show that it is busy.
    const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    RunConnectionTest(
        SystemLocalClock(),
        [](std::string& error, std::string server, SystemTime& t1, SystemTime& t2, SystemTime& t3,
           SystemTime& t4, SystemTime& correct, int32_t& roundTrip) {
            return SntpQuery(SystemSntpPorts(), error, std::move(server), t1, t2, t3, t4, correct, roundTrip);
        },
        *this);
    ::SetCursor(previous);
    UpdateData(false);
}

LRESULT CTestDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_CONNECTION_TEST) {
        OnConnectionTest();
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace pelto
