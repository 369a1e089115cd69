#include "framework/app.h"

#include "framework/dialog.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

CWinApp* g_app = nullptr;
constexpr UINT kAppTitleString = 57344;

}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() noexcept { return g_app; }

const std::string& AfxGetProfileName() noexcept {
    static const std::string none;
    return g_app ? g_app->m_profileName : none;
}

std::string LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    const int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text) return {};
    return Narrow(std::wstring_view(text, static_cast<size_t>(n)));
}

int AfxMessageBox(const std::string& text, UINT type) {
    CWinApp* app = AfxGetApp();
    const std::wstring caption = Widen(app ? app->Title() : std::string());
    return ::MessageBoxW(GetSafeOwner(nullptr), Widen(text).c_str(), caption.c_str(), type);
}

int AfxMessageBox(UINT stringId, UINT type) { return AfxMessageBox(LoadResourceString(stringId), type); }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_title = LoadResourceString(kAppTitleString);
    if (!app->InitInstance()) return 0;
    return app->Run();
}

}  // namespace pelto
