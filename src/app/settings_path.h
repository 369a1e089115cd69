#pragma once
// TEMPORARY until the settings file layer lands.
#include <string>

namespace pelto {
struct SettingsPath {
    std::string folder;
    std::string file;
};
SettingsPath MakeSettingsPath(const std::string& appDataFolder, const std::string& fileName);
}  // namespace pelto
