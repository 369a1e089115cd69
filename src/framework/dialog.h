#pragma once
// Modal dialogs from resource templates. DoModal runs the dialog's own message loop (like the
// platform's dialog box loop, but with a PreTranslateMessage hook), so the clock can relay every
// message to its tooltip. Data exchange moves values between members and controls.
#include <windows.h>

#include <string>

#include "framework/window.h"

namespace pelto {

class CDataExchange;

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent) noexcept : m_templateId(templateId), m_pParent(parent) {}

    // Creates the dialog, disables its owner, runs the modal loop and returns the code passed to
    // EndDialog (-1 when the dialog could not be created).
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    // Moves data between members and controls: save = true reads the controls into the members.
    bool UpdateData(bool save = true);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    CWnd* m_pParent;

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    bool m_endModal = false;
    INT_PTR m_modalResult = -1;
};

// The owner a parentless dialog or message box gets: the application's main window, or the
// popup of it that was last active (so a dialog opened from the clock is owned by the clock).
HWND GetSafeOwner(CWnd* parent);

}  // namespace pelto
