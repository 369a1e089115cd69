#include "app/settings_path.h"

#include "app/cp932.h"

namespace pelto {

SettingsLocation BuildSettingsLocation(std::string_view appDataFolder, std::string_view fileName) {
    SettingsLocation where;
    where.file.assign(appDataFolder);
    // A folder given with its trailing backslash (a drive root) does not get a second one.
    const size_t last = cp932::FindLast(where.file, '\\');
    if (where.file.empty() || last != where.file.size() - 1) where.file += '\\';
    where.file.append("PELTO\\").append(fileName);
    where.folder = where.file.substr(0, cp932::FindLast(where.file, '\\'));
    return where;
}

}  // namespace pelto
