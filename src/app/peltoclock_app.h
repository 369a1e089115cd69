#pragma once
// The program's shell: fixes where the settings live, starts the socket layer, and creates the
// invisible host frame whose only job is to run the clock once.
#include "framework/app.h"
#include "framework/frame.h"
#include "platform/local_clock.h"

namespace pelto {

class CPeltoClockApp : public CWinApp {
public:
    BOOL InitInstance() override;
    bool OnCommand(UINT id) override;

    // Builds the settings path under the roaming application-data folder and creates its folder.
    void SetProfilePath(const char* fileName);
};

// The About dialog (command 57664, handled by the application).
void ShowAboutDialog();

// The clock this program keeps: the PC's clock in the shipped program; each program file defines it.
LocalClock& ProgramClockPort();

class CMainFrame : public CFrameWnd {
protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy);

private:
    bool m_clockRun = false;
};

}  // namespace pelto
