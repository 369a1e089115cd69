#pragma once
// A frame window created from a resource id (its title string, menu and icon share that id).
#include <windows.h>

#include <string>

#include "framework/window.h"

namespace pelto {

class CFrameWnd : public CWnd {
public:
    // Creates the window; false when it could not be created.
    bool LoadFrame(UINT resourceId, DWORD style, CWnd* parent = nullptr);

protected:
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
};

// Registers (once) a window class with these attributes and returns its name.
const wchar_t* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                   HICON icon = nullptr);

}  // namespace pelto
