#pragma once
// A month calendar to look at, opened by a middle click on the clock. A double-click on its own
// surface or its title bar closes it.
#include <windows.h>

#include "framework/dialog.h"

namespace pelto {

// The month calendar control of the dialog (a borrowed handle).
struct CMonthCalCtrl {
    HWND m_hWnd = nullptr;
};

class CCalender : public CDialog {
public:
    explicit CCalender(CWnd* parent = nullptr);

    CMonthCalCtrl m_monthCal;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDblClk();
    void OnNcLButtonDblClk(WPARAM hit, LPARAM point);
};

}  // namespace pelto
