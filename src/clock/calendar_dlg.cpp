#include "clock/calendar_dlg.h"

#include "framework/ddx.h"
#include "resources/resource.h"

namespace pelto {

CCalender::CCalender(CWnd* parent) : CDialog(IDD_CALENDAR_DIALOG, parent) {}

void CCalender::DoDataExchange(CDataExchange& dx) {
    if (!m_monthCal.m_hWnd) m_monthCal.m_hWnd = GetDlgItem(IDC_MONTH_CALENDAR);
    (void)dx;
}

void CCalender::OnLButtonDblClk() { EndDialog(IDOK); }

void CCalender::OnNcLButtonDblClk(WPARAM hit, LPARAM point) {
    EndDialog(IDOK);
    Default(WM_NCLBUTTONDBLCLK, hit, point);
}

LRESULT CCalender::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk();
            return 0;
        case WM_NCLBUTTONDBLCLK:
            OnNcLButtonDblClk(wParam, lParam);
            return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

}  // namespace pelto
