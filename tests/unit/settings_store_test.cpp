// The settings file on disk: the file-system port (POSIX natively, Win32 under Wine) and the
// read-edit-replace cycle of a save. A save that cannot happen leaves the old file as it was.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/profile_store.h"
#include "app/settings.h"
#include "platform/file_system.h"
#include "unit/temp_dir.h"

namespace pelto {
namespace {

using test::CountEntries;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kOld = "[PELTOCLOCK]\r\nSECFLAG=1\r\n; the user's own note\r\n";

Settings Changed() {
    Settings s;
    LoadSettings(s, ProfileFile(kOld));
    s.m_showSeconds = 0;
    return s;
}

// A file system that fails where a test says and records what was asked of it.
class FakeFileSystem final : public FileSystem {
public:
    FileRead readResult = FileRead::kOk;
    bool replaceResult = true;
    std::string content;
    int replaces = 0;

    FileRead ReadWholeFile(const std::string&, std::string& bytes) override {
        bytes = readResult == FileRead::kOk ? content : std::string();
        return readResult;
    }
    bool ReplaceWholeFile(const std::string&, std::string_view bytes) override {
        ++replaces;
        if (replaceResult) content.assign(bytes);
        return replaceResult;
    }
};

TEST(FileSystemPort, ReadsWholeFilesAndTellsMissingFromBroken) {
    TempDir dir;
    std::string bytes = "stale";
    EXPECT_EQ(NativeFileSystem().ReadWholeFile(dir.File("absent.ini"), bytes), FileRead::kMissing);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(NativeFileSystem().ReadWholeFile(dir.File("no-folder/absent.ini"), bytes), FileRead::kMissing);
    // A folder where the file should be is not a missing file: leave it alone.
    std::filesystem::create_directory(dir.path() / "PELTO.INI");
    EXPECT_EQ(NativeFileSystem().ReadWholeFile(dir.File("PELTO.INI"), bytes), FileRead::kFailed);

    const std::string binary = std::string("a\0b\r\n\xFF\x81\x5C", 8) + std::string(300000, 'q');
    WriteBytes(dir.path() / "data.ini", binary);
    EXPECT_EQ(NativeFileSystem().ReadWholeFile(dir.File("data.ini"), bytes), FileRead::kOk);
    EXPECT_EQ(bytes, binary);
}

TEST(FileSystemPort, ReplacesWholeFilesLeavingNothingBehind) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, "first"));
    EXPECT_EQ(ReadBytes(path), "first");
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, std::string("sec\0ond\r\n", 9)));
    EXPECT_EQ(ReadBytes(path), std::string("sec\0ond\r\n", 9));
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, ""));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(CountEntries(dir.path()), 1u);  // no temporary file left
}

TEST(FileSystemPort, FailedReplaceKeepsTheOldFileAndLeavesNothingBehind) {
    TempDir dir;
    // The folder does not exist: nothing is created.
    EXPECT_FALSE(NativeFileSystem().ReplaceWholeFile(dir.File("PELTO/PELTO.INI"), "new"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "PELTO"));
    // A folder stands where the file should go: it cannot be replaced.
    std::filesystem::create_directory(dir.path() / "PELTO.INI");
    WriteBytes(dir.path() / "PELTO.INI" / "inside", "kept");
    EXPECT_FALSE(NativeFileSystem().ReplaceWholeFile(dir.File("PELTO.INI"), "new"));
    EXPECT_EQ(ReadBytes(dir.path() / "PELTO.INI" / "inside"), "kept");
    EXPECT_EQ(CountEntries(dir.path()), 1u);
}

TEST(SettingsStore, SaveRereadsTheFileAndKeepsWhatOthersWrote) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    WriteBytes(path, kOld);
    Settings mine;
    LoadSettingsFile(mine, NativeFileSystem(), path);
    // Another copy of the clock (or the network settings dialog) writes in the meantime.
    ProfileFile other(ReadBytes(path));
    other.WriteString("NTP", "NTP0", "ntp.example.org");
    WriteBytes(path, other.Bytes());

    mine.m_showSeconds = 0;
    ASSERT_TRUE(SaveSettingsFile(mine, NativeFileSystem(), path));
    const ProfileFile saved(ReadBytes(path));
    EXPECT_EQ(saved.GetString("NTP", "NTP0", ""), "ntp.example.org");
    EXPECT_EQ(saved.GetInt("PELTOCLOCK", "SECFLAG", 9), 0);
    EXPECT_NE(ReadBytes(path).find("; the user's own note\r\n"), std::string::npos);
}

TEST(SettingsStore, MissingFileGivesDefaultsAndTheFirstSaveCreatesIt) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    Settings s;
    s.m_cycle = 99;
    LoadSettingsFile(s, NativeFileSystem(), path);
    EXPECT_EQ(s.m_cycle, 2);
    EXPECT_FALSE(std::filesystem::exists(path));  // loading creates nothing
    ASSERT_TRUE(SaveSettingsFile(s, NativeFileSystem(), path));
    EXPECT_EQ(ReadBytes(path).substr(0, 14), "[PELTOCLOCK]\r\n");
}

TEST(SettingsStore, UnreadableFileIsNeitherReadNorOverwritten) {
    FakeFileSystem fs;
    fs.readResult = FileRead::kFailed;
    Settings s;
    LoadSettingsFile(s, fs, "PELTO.INI");
    EXPECT_EQ(s.m_topMost, 1);  // defaults
    EXPECT_FALSE(SaveSettingsFile(s, fs, "PELTO.INI"));
    EXPECT_EQ(fs.replaces, 0);
}

TEST(SettingsStore, FailedWriteIsReportedOnlyByTheResult) {
    FakeFileSystem fs;
    fs.content = kOld;
    fs.replaceResult = false;
    EXPECT_FALSE(SaveSettingsFile(Changed(), fs, "PELTO.INI"));
    EXPECT_EQ(fs.content, kOld);
}

TEST(SettingsStore, UnchangedSettingsAreNotRewritten) {
    FakeFileSystem fs;
    fs.content = kOld;
    const Settings s = Changed();
    ASSERT_TRUE(SaveSettingsFile(s, fs, "PELTO.INI"));
    ASSERT_TRUE(SaveSettingsFile(s, fs, "PELTO.INI"));  // a drag that ends where it started
    EXPECT_EQ(fs.replaces, 1);
}

#ifndef _WIN32
// Runs `body` in a child process that cannot write into `dir` (root loses its rights by becoming
// nobody) and returns the child's exit code.
int RunWithoutWriteAccess(const std::filesystem::path& dir, const std::function<int()>& body) {
    ::chmod(dir.c_str(), 0555);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::chmod(dir.c_str(), 0755);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST(SettingsStore, SaveIntoUnwritableFolderLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    WriteBytes(path, kOld);
    ::chmod(path.c_str(), 0644);
    const int code = RunWithoutWriteAccess(dir.path(), [&] {
        Settings s;
        LoadSettingsFile(s, NativeFileSystem(), path);  // reading still works
        if (s.m_showSeconds != 1) return 2;
        s.m_showSeconds = 0;
        return SaveSettingsFile(s, NativeFileSystem(), path) ? 1 : 0;
    });
    ASSERT_NE(code, 100) << "could not drop to an unprivileged user";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(CountEntries(dir.path()), 1u);
}

TEST(SettingsStore, WriteThatFailsHalfwayLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    WriteBytes(path, kOld);
    // The disk "fills up" after 100 bytes of the new file.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(SaveSettingsFile(Changed(), NativeFileSystem(), path) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(CountEntries(dir.path()), 1u);
}

TEST(FileSystemPort, ReplacedFileKeepsItsPermissions) {
    TempDir dir;
    const std::string path = dir.File("PELTO.INI");
    WriteBytes(path, kOld);
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(NativeFileSystem().ReplaceWholeFile(path, "new"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}
#endif

}  // namespace
}  // namespace pelto
