#include "app/settings_path.h"
namespace pelto {
SettingsPath MakeSettingsPath(const std::string& appDataFolder, const std::string& fileName) {
    SettingsPath p;
    p.folder = appDataFolder + "\\PELTO";
    p.file = p.folder + "\\" + fileName;
    return p;
}
}  // namespace pelto
