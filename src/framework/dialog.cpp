#include "framework/dialog.h"

#include "framework/app.h"
#include "framework/ddx.h"
#include "platform/text_win32.h"

namespace pelto {

HWND GetSafeOwner(CWnd* parent) {
    if (parent && parent->m_hWnd) return parent->m_hWnd;
    CWinApp* app = AfxGetApp();
    HWND main = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    if (!main) return nullptr;
    // Follow the chain of last active popups, so a dialog opened from a dialog of the clock is
    // owned by that dialog, which it then disables, and not by the clock.
    HWND owner = main;
    for (int depth = 0; depth < 16; ++depth) {
        HWND next = ::GetLastActivePopup(owner);
        if (!next || next == owner) break;
        owner = next;
    }
    return owner;
}

INT_PTR CDialog::DoModal() {
    HWND owner = GetSafeOwner(m_pParent);
    m_endModal = false;
    m_modalResult = -1;
    HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner,
                                     &CDialog::StaticDlgProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd) return -1;

    bool ownerDisabled = false;
    if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        ownerDisabled = true;
    }
    if (!m_endModal && !(::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) ::ShowWindow(hwnd, SW_SHOWNORMAL);

    MSG msg;
    while (!m_endModal && m_hWnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: leave it for the outer loop
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (PreTranslateMessage(&msg)) continue;
        if (m_hWnd && ::IsDialogMessageW(m_hWnd, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    if (ownerDisabled) ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
        ::DestroyWindow(m_hWnd);
    }
    return m_modalResult;
}

void CDialog::EndDialog(INT_PTR result) {
    m_modalResult = result;
    m_endModal = true;
    // Wake the loop in case the end came from outside a dispatched message.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CDialog::UpdateData(bool save) {
    CDataExchange dx(this, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    ::SetDlgItemTextW(m_hWnd, id, Widen(text).c_str());
}

std::string CDialog::GetDlgItemText(int id) const {
    HWND item = GetDlgItem(id);
    const int n = item ? ::GetWindowTextLengthW(item) : 0;
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    const UINT got = ::GetDlgItemTextW(m_hWnd, id, w.data(), n + 1);
    w.resize(got);
    return Narrow(w);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return 0;
            case IDCANCEL:
                OnCancel();
                return 0;
        }
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) noexcept {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* self = reinterpret_cast<CDialog*>(lParam);
    // From here on every message goes to the object first; the dialog manager's own procedure
    // is its default processing.
    self->Subclass(hwnd);
    try {
        return self->OnInitDialog();
    } catch (...) {
        return TRUE;
    }
}

}  // namespace pelto
