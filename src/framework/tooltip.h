#pragma once
// A tooltip control whose tools are whole windows (identified by their handle).
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace pelto {

class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;
    ~CToolTipCtrl() { DestroyWindow(); }

    bool Create(HWND parent, DWORD style = 0);
    void DestroyWindow();
    void Activate(bool on);
    void AddTool(HWND tool, const std::string& text);
    void UpdateTipText(const std::string& text, HWND tool);
    void RelayEvent(MSG* msg);
    HWND m_hWnd = nullptr;
};

}  // namespace pelto
