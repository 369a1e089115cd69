// The settings folder on Windows: the roaming application-data folder, taken in UTF-16 and
// carried as code page 932 like the rest of the program's text.
#include <windows.h>
#include <shlobj.h>

#include "app/settings_path.h"
#include "platform/text_win32.h"

namespace pelto {
namespace {

// Code page 932 bytes for `wide`; false when a character has no code page 932 form.
bool ToCodePage932(const std::wstring& wide, std::string& out) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(kCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.assign(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return true;
}

}  // namespace

bool PrepareSettingsPath(std::string_view fileName, std::string& filePath) {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE) || folder[0] == L'\0') return false;
    // A user folder whose name code page 932 cannot spell (an accented or Hangul user name) is
    // reached through its short name, which is plain ASCII.
    std::string appData;
    if (!ToCodePage932(folder, appData)) {
        wchar_t shortName[MAX_PATH] = {};
        const DWORD n = GetShortPathNameW(folder, shortName, MAX_PATH);
        if (n == 0 || n >= MAX_PATH || !ToCodePage932(shortName, appData)) appData = Narrow(folder);
    }
    const SettingsLocation where = BuildSettingsLocation(appData, fileName);
    const std::wstring wideFolder = Widen(where.folder);
    if (GetFileAttributesW(wideFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(wideFolder.c_str(), nullptr);
    filePath = where.file;
    return true;
}

}  // namespace pelto
