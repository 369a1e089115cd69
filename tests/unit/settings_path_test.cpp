// Where the settings file lives, built from the application-data folder as code page 932 bytes.
#include <gtest/gtest.h>

#include "app/settings_path.h"

namespace pelto {
namespace {

TEST(SettingsPath, FolderAndFile) {
    const struct {
        const char* appData;
        const char* fileName;
        const char* folder;
        const char* file;
    } cases[] = {
        {"C:\\Users\\taro\\AppData\\Roaming", "PELTO.INI", "C:\\Users\\taro\\AppData\\Roaming\\PELTO",
         "C:\\Users\\taro\\AppData\\Roaming\\PELTO\\PELTO.INI"},
        // 表 is 95 5C and ソ 83 5C: their second byte is the backslash byte.
        {"C:\\Users\\表ソ\\AppData\\Roaming", "PELTO.INI", "C:\\Users\\表ソ\\AppData\\Roaming\\PELTO",
         "C:\\Users\\表ソ\\AppData\\Roaming\\PELTO\\PELTO.INI"},
        {"C:\\Data", "表示.INI", "C:\\Data\\PELTO", "C:\\Data\\PELTO\\表示.INI"},
        {"C:\\Data", "ソ", "C:\\Data\\PELTO", "C:\\Data\\PELTO\\ソ"},
        {"D:\\", "PELTO.INI", "D:\\PELTO", "D:\\PELTO\\PELTO.INI"},
        {"D:\\ソ", "PELTO.INI", "D:\\ソ\\PELTO", "D:\\ソ\\PELTO\\PELTO.INI"},
    };
    for (const auto& c : cases) {
        const SettingsLocation where = BuildSettingsLocation(c.appData, c.fileName);
        EXPECT_EQ(where.folder, c.folder) << c.file;
        EXPECT_EQ(where.file, c.file);
    }
    EXPECT_EQ(kSettingsFileName, "PELTO.INI");
}

}  // namespace
}  // namespace pelto
