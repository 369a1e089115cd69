#pragma once
// Where the settings file lives: "<application data>\PELTO\<file name>", built as code page 932
// bytes.
#include <string>
#include <string_view>

namespace pelto {

inline constexpr std::string_view kSettingsFileName = "PELTO.INI";

struct SettingsLocation {
    std::string folder;  // the settings folder, without a trailing backslash
    std::string file;    // the settings file's full path
};

// Appends "\PELTO\" and `fileName` to `appDataFolder`; the folder is everything before the last
// backslash of the result, found without mistaking the second byte of a double-byte character
// (which may be 0x5C) for one.
SettingsLocation BuildSettingsLocation(std::string_view appDataFolder, std::string_view fileName);

#ifdef _WIN32
// The user's roaming application-data folder made into the settings path, the settings folder
// created when it is missing (only that last level; a failure is not reported: reads then give
// the defaults and saves fail quietly). False when the application-data folder cannot be found.
bool PrepareSettingsPath(std::string_view fileName, std::string& filePath);
#endif

}  // namespace pelto
