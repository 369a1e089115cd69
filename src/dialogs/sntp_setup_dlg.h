#pragma once
// The network settings dialog: automatic operation, time correction, the cycle and the two SNTP
// servers, each typed into or picked from a box whose list is the server history of the settings
// file. A "テスト" button next to each box tests that server.
#include <windows.h>

#include "dialogs/server_list.h"
#include "dialogs/sntp_setup.h"
#include "framework/dialog.h"

namespace pelto {

class CSntpSetupDlg : public CDialog, public SntpSetupFields {
public:
    explicit CSntpSetupDlg(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void OnFullAutoClicked();
    void OnTestServer1();
    void OnTestServer2();
    void OnKillFocusServer1();
    void OnKillFocusServer2();

private:
    // A box of a server, both ways: it shows the first list entry that begins with the text,
    // else the text itself; it reads back as its edit text.
    void ExchangeServerBox(CDataExchange& dx, int id, const ServerList& list, std::string& server);
    void OnKillFocusServer(std::string& server);
    void TestServer(const std::string& server);
    // Appends a list's entries to a box; the refill empties the box (its edit text too) first.
    void AddServers(int id, const ServerList& list);
    void RefillServerBox(int id, const ServerList& list);
    void SaveServerList();

    ServerLists m_lists;
    bool m_closing = false;  // OK or Cancel pressed: the boxes no longer change the lists
};

}  // namespace pelto
