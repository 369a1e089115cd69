#include "framework/ddx.h"

#include <cstdlib>

#include "framework/dialog.h"
#include "platform/text_win32.h"

namespace pelto {

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
    if (dx.m_bSaveAndValidate)
        value = dx.m_pDlg->GetDlgItemText(id);
    else
        dx.m_pDlg->SetDlgItemText(id, value);
}

void DDX_Text(CDataExchange& dx, int id, int& value) {
    if (!dx.m_bSaveAndValidate) {
        dx.m_pDlg->SetDlgItemText(id, std::to_string(value));
        return;
    }
    const std::string text = dx.m_pDlg->GetDlgItemText(id);
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') {
        dx.Fail();
        return;
    }
    value = static_cast<int>(v);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
    HWND item = dx.m_pDlg->GetDlgItem(id);
    if (dx.m_bSaveAndValidate)
        value = ::SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        // Any non-zero value is true for the program, so it shows checked: a hand-edited 5 must
        // not come back as 0 from a dialog the user only confirmed.
        ::SendMessageW(item, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_CBIndex(CDataExchange& dx, int id, int& index) {
    HWND item = dx.m_pDlg->GetDlgItem(id);
    if (dx.m_bSaveAndValidate) {
        index = static_cast<int>(::SendMessageW(item, CB_GETCURSEL, 0, 0));
        return;
    }
    const LRESULT count = ::SendMessageW(item, CB_GETCOUNT, 0, 0);
    // An index the box does not hold selects nothing.
    const WPARAM select = index >= 0 && index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1);
    ::SendMessageW(item, CB_SETCURSEL, select, 0);
}

void DDX_CBString(CDataExchange& dx, int id, std::string& value) {
    HWND item = dx.m_pDlg->GetDlgItem(id);
    if (dx.m_bSaveAndValidate) {
        value = dx.m_pDlg->GetDlgItemText(id);
        return;
    }
    const std::wstring w = Widen(value);
    // CB_SELECTSTRING matches entries that begin with the text, ignoring letter case.
    if (::SendMessageW(item, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w.c_str())) ==
        CB_ERR)
        ::SetWindowTextW(item, w.c_str());
}

}  // namespace pelto
