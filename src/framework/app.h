#pragma once
// The application object: one per program, constructed as a global before WinMain runs.
// WinMain calls InitInstance and, when it returns true, runs the message loop.
#include <windows.h>

#include <string>

#include "framework/window.h"

namespace pelto {

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance() { return FALSE; }
    // Commands that no window handled (the application's own message map).
    virtual bool OnCommand(UINT /*id*/) { return false; }
    int Run();

    // The application title: string 57344 of the program's resources.
    const std::string& Title() const { return m_title; }

    CWnd* m_pMainWnd = nullptr;
    // Where the profile reads and writes go (code page 932 path).
    std::string m_profileName;

private:
    friend int AfxWinMain();
    std::string m_title;
};

CWinApp* AfxGetApp() noexcept;

// The application's settings file path, empty when there is no application object (or no file).
const std::string& AfxGetProfileName() noexcept;

// A message box with the application title as its caption, owned by the active window of the
// application; text in code page 932.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// The same with the text of a string resource.
int AfxMessageBox(UINT stringId, UINT type = MB_OK);

// A string resource as code page 932 text.
std::string LoadResourceString(UINT id);

// The program's entry: runs the one application object.
int AfxWinMain();

}  // namespace pelto
