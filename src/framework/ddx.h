#pragma once
// Dialog data exchange: one call per control binds a member to it. With save = false the member
// goes into the control, with save = true the control's content comes back into the member.
#include <windows.h>

#include <string>

namespace pelto {

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dlg, bool save) noexcept : m_pDlg(dlg), m_bSaveAndValidate(save) {}
    bool Failed() const noexcept { return m_failed; }
    void Fail() noexcept { m_failed = true; }

    CDialog* m_pDlg;
    bool m_bSaveAndValidate;

private:
    bool m_failed = false;
};

void DDX_Text(CDataExchange& dx, int id, std::string& value);
// A number field; on save, text that is not a whole number fails the exchange with a message.
void DDX_Text(CDataExchange& dx, int id, int& value);
// A check box: any non-zero value shows checked; the control reads back as 1 or 0.
void DDX_Check(CDataExchange& dx, int id, int& value);
// Selected index of a combo box; -1 for none. An index the box does not hold selects none.
void DDX_CBIndex(CDataExchange& dx, int id, int& index);
// Edit text of a combo box; on load, selects the first entry that starts with the text, else sets
// the text as it stands.
void DDX_CBString(CDataExchange& dx, int id, std::string& value);

}  // namespace pelto
