#pragma once
// The About dialog: name and version, who holds the rights, the terms of use, and two links (the
// web page and the mail address) that the system's shell opens.
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "platform/shell_port.h"

namespace pelto {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr, ShellPort& shell = SystemShellPort());

    std::string m_aboutText;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    LRESULT OnCtlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void OnWebLink();
    void OnMailLink();

private:
    ShellPort& m_shell;
};

// The terms of use the dialog shows: three sections (rights, use, redistribution), CR LF lines.
const std::string& AboutTermsText();

// The shell the program opens the About dialog's links with: the system's, unless a test build of
// the program puts its own in place before the clock starts.
ShellPort& ProgramShellPort();
void ReplaceProgramShellPort(ShellPort* port);

}  // namespace pelto
