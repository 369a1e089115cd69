// The Windows side of the settings file: the settings folder under the roaming application data,
// and the file-system port's replace with Windows file attributes.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/settings_path.h"
#include "platform/file_system.h"
#include "platform/text_win32.h"
#include "unit/temp_dir.h"

namespace pelto {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(SettingsPathWin32, FolderUnderRoamingAppDataIsCreatedFileIsNot) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE));
    const std::wstring folder = std::wstring(appData) + L"\\PELTO";
    const bool existed = GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;

    std::string path;
    ASSERT_TRUE(PrepareSettingsPath(kSettingsFileName, path));
    EXPECT_EQ(Widen(path), folder + L"\\PELTO.INI");
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!existed) {
        // A fresh folder: no settings file until the first save. Leave the profile as it was.
        EXPECT_EQ(GetFileAttributesW((folder + L"\\PELTO.INI").c_str()), INVALID_FILE_ATTRIBUTES);
        RemoveDirectoryW(folder.c_str());
    }
}

TEST(FileSystemWin32, ReplaceKeepsHiddenAndLeavesReadOnlyFilesAlone) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    const std::wstring wide = Widen(path);
    WriteBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, "new"));
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(NativeFileSystem().ReplaceWholeFile(path, "newer"));
    EXPECT_EQ(ReadBytes(path), "new");
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::CountEntries(dir.path()), 1u);
}

TEST(FileSystemWin32, JapanesePathsAreCodePage932) {
    TempDir dir;
    const std::string path = dir.File("") + "表示ソ.INI";  // second bytes 0x5C
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, "data"));
    EXPECT_NE(GetFileAttributesW((Widen(dir.File("")) + L"\u8868\u793a\u30bd.INI").c_str()),
              INVALID_FILE_ATTRIBUTES);
    std::string bytes;
    EXPECT_EQ(NativeFileSystem().ReadWholeFile(path, bytes), FileRead::kOk);
    EXPECT_EQ(bytes, "data");
}

}  // namespace
}  // namespace pelto
