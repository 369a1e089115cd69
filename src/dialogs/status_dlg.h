#pragma once
// The synchronisation status: online or offline, the reference time, the latest request, the time
// elapsed since the reference, and the whole journal, one record per line. It shows the clock as
// it was when it opened or when "更新" was last pressed.
#include <windows.h>

#include "clock/clock_state.h"
#include "dialogs/status_text.h"
#include "framework/dialog.h"

namespace pelto {

class CNtpStatusDialog : public CDialog, public StatusTexts {
public:
    explicit CNtpStatusDialog(CWnd* parent = nullptr);

    const ClockState* m_pClock = nullptr;  // not owned

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnRefresh();
    // The status texts from the clock, and the journal box rebuilt from scratch.
    void Refresh();
};

}  // namespace pelto
