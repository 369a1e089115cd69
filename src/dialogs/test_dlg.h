#pragma once
// The connection test: one SNTP exchange with a server on each press of "接続テスト", showing the
// four times of the exchange, the correct time, the round trip and how far the PC clock is off.
#include <windows.h>

#include "dialogs/connection_test.h"
#include "framework/dialog.h"

namespace pelto {

class CTestDlg : public CDialog, public ConnectionTestFields {
public:
    explicit CTestDlg(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnConnectionTest();
};

}  // namespace pelto
