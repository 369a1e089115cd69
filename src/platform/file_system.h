#pragma once
// The file-system port of the settings file: read a file whole, and replace a file whole so that
// a reader (or a crash, or a full disk) sees either the old file or the new one, never a torn
// one. Paths are code page 932 bytes, as the rest of the program's text.
#include <cstddef>
#include <string>
#include <string_view>

namespace pelto {

enum class FileRead {
    kOk,
    kMissing,  // the file (or its folder) does not exist
    kFailed,   // it exists but could not be read: leave it alone
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reads the whole file into `bytes` (emptied unless kOk).
    virtual FileRead ReadWholeFile(const std::string& path, std::string& bytes) = 0;

    // Writes `bytes` to a new file in the same folder and moves it over `path` in one step. On
    // failure `path` is untouched and no temporary file is left behind.
    virtual bool ReplaceWholeFile(const std::string& path, std::string_view bytes) = 0;
};

// A file larger than this is not a settings file the program wrote; reading it reports kFailed
// rather than filling memory.
inline constexpr size_t kMaxReadBytes = 64u * 1024u * 1024u;

// The machine's own file system (POSIX or Win32).
FileSystem& NativeFileSystem();

}  // namespace pelto
