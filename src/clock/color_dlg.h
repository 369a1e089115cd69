#pragma once
// Picks the online and offline fill colours, each with the system colour chooser, and shows both as
// swatches. The clock copies the colours in, and back only after OK.
#include <windows.h>

#include <cstdint>

#include "framework/dialog.h"

namespace pelto {

class CColorDlg : public CDialog {
public:
    explicit CColorDlg(CWnd* parent = nullptr);

    uint32_t m_onlineColor = 0;
    uint32_t m_offlineColor = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSetOnlineColor();
    void OnSetOfflineColor();
    LRESULT OnCtlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // The system colour chooser started from colour; true and the choice when the user confirms.
    static bool PickColor(uint32_t& colour);
};

}  // namespace pelto
