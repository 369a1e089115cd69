// The status dialog and the clock's command that opens it.
#include "dialogs/status_dlg.h"

#include "clock/clock_dlg.h"
#include "framework/ddx.h"
#include "resources/resource.h"

namespace pelto {

CNtpStatusDialog::CNtpStatusDialog(CWnd* parent) : CDialog(IDD_SYNC_STATUS, parent) {}

void CNtpStatusDialog::DoDataExchange(CDataExchange& dx) {
    DDX_Text(dx, IDC_REFERENCE_TIME, m_referenceTimeText);
    DDX_Text(dx, IDC_LATEST_REQUEST, m_latestRequestText);
    DDX_Text(dx, IDC_ELAPSED_TIME, m_elapsedText);
    DDX_Text(dx, IDC_SYNC_STATE, m_statusText);
}

BOOL CNtpStatusDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    // A full journal is far longer than an edit box takes by default: lift the limit.
    ::SendMessageW(GetDlgItem(IDC_SYNC_LOG), EM_SETLIMITTEXT, 0, 0);
    Refresh();
    UpdateData(false);
    // Focus to the journal with the caret at its end: the dialog manager's own choice would
    // select the whole journal.
    ::SetFocus(GetDlgItem(IDC_SYNC_LOG));
    return FALSE;
}

void CNtpStatusDialog::Refresh() {
    if (!m_pClock) return;
    RefreshStatusTexts(*m_pClock, *this);
    // The whole text in one go, then the caret to its end and into view: the newest record shows.
    HWND box = GetDlgItem(IDC_SYNC_LOG);
    SetDlgItemText(IDC_SYNC_LOG, JournalText(m_pClock->m_log));
    const LRESULT length = ::GetWindowTextLengthW(box);
    ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
    ::SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void CNtpStatusDialog::OnRefresh() {
    Refresh();
    UpdateData(false);
}

LRESULT CNtpStatusDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ID_REFRESH_STATUS) {
        OnRefresh();
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CPeltoClockDlg::OnSyncStatus() {
    CNtpStatusDialog dlg(nullptr);
    dlg.m_pClock = this;
    dlg.DoModal();
}

}  // namespace pelto
