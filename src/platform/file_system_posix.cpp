// The file-system port on POSIX systems (the native build the core is tested in).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"

namespace pelto {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

class PosixFileSystem final : public FileSystem {
public:
    FileRead ReadWholeFile(const std::string& path, std::string& bytes) override {
        bytes.clear();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? FileRead::kMissing : FileRead::kFailed;
        FileRead result = FileRead::kOk;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            static_cast<size_t>(st.st_size) > kMaxReadBytes) {
            result = FileRead::kFailed;
        } else {
            bytes.reserve(static_cast<size_t>(st.st_size));
            char buffer[64 * 1024];
            for (;;) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0 || bytes.size() + static_cast<size_t>(n) > kMaxReadBytes) {
                    result = FileRead::kFailed;
                    break;
                }
                if (n == 0) break;
                bytes.append(buffer, static_cast<size_t>(n));
            }
        }
        ::close(fd);
        if (result != FileRead::kOk) bytes.clear();
        return result;
    }

    bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override {
        std::string temp = path + ".XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) return false;
        // The new file keeps the permissions of the one it replaces.
        struct stat old {};
        const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
        const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
            ::unlink(temp.c_str());
            return false;
        }
        return true;
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace pelto
