// The About dialog, which the application object opens (command 57664).
#include "dialogs/about_dlg.h"

#include "app/peltoclock_app.h"
#include "framework/ddx.h"
#include "resources/resource.h"

namespace pelto {
namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 191);

ShellPort* g_programShell = nullptr;

bool IsLink(int id) { return id == IDC_WEB_LINK || id == IDC_MAIL_LINK; }

}  // namespace

const std::string& AboutTermsText() {
    static const std::string text =
        "【著作権】\r\n"
        "ペルト時計（PeltoClock.exe）およびその付属文書の著作権は、作者である PeltoClock "
        "プロジェクトが保有しています。\r\n"
        "\r\n"
        "【使用条件】\r\n"
        "本ソフトウェアは個人・法人を問わず無料で使用できます。本ソフトウェアはインターネット上の"
        "時刻サーバーと通信し、パソコンの時計を変更します。使用するサーバーの利用条件を守って"
        "ください。本ソフトウェアの使用により、または使用できなかったことにより生じたいかなる損害に"
        "ついても、作者は一切の責任を負いません。ご自身の責任においてご使用ください。作者は本ソフトウェアの"
        "不具合を修正する義務を負いません。\r\n"
        "\r\n"
        "【再配布条件】\r\n"
        "本ソフトウェアは、実行ファイルと付属文書を一切変更せず、すべてをそろえて無償で配布する場合に"
        "限り、自由に再配布できます。雑誌やＣＤ－ＲＯＭなどへの収録、有償での配布、他のソフトウェア"
        "への同梱を希望される場合は、事前に作者までご連絡ください。本ソフトウェアの仕様は予告なく変更する"
        "ことがあります。";
    return text;
}

ShellPort& ProgramShellPort() { return g_programShell ? *g_programShell : SystemShellPort(); }

void ReplaceProgramShellPort(ShellPort* port) { g_programShell = port; }

CAboutDlg::CAboutDlg(CWnd* parent, ShellPort& shell) : CDialog(IDD_ABOUTBOX, parent), m_shell(shell) {}

void CAboutDlg::DoDataExchange(CDataExchange& dx) { DDX_Text(dx, IDC_ABOUT_TEXT, m_aboutText); }

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_aboutText = AboutTermsText();
    UpdateData(false);
    return TRUE;
}

// The addresses are the links' own texts in the dialog resource: what the user reads is what opens.
void CAboutDlg::OnWebLink() { m_shell.Open(GetDlgItemText(IDC_WEB_LINK)); }

void CAboutDlg::OnMailLink() { m_shell.Open("mailto:" + GetDlgItemText(IDC_MAIL_LINK)); }

LRESULT CAboutDlg::OnCtlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT brush = Default(message, wParam, lParam);
    if (IsLink(::GetDlgCtrlID(control))) ::SetTextColor(dc, kLinkColour);
    return brush;
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORSTATIC:
            return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg, wParam,
                              lParam);
        case WM_SETCURSOR:
            // The links take the pointing hand, as links do.
            if (IsLink(::GetDlgCtrlID(reinterpret_cast<HWND>(wParam)))) {
                ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
                return TRUE;
            }
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == IDC_WEB_LINK) {
                OnWebLink();
                return 0;
            }
            if (HIWORD(wParam) == STN_CLICKED && LOWORD(wParam) == IDC_MAIL_LINK) {
                OnMailLink();
                return 0;
            }
            break;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

void ShowAboutDialog() {
    CAboutDlg dlg(nullptr, ProgramShellPort());
    dlg.DoModal();
}

}  // namespace pelto
