// The file-system port on Windows: wide-character calls, the code page 932 path converted at the
// edge, and the new file moved over the old one with MoveFileExW (an atomic rename on NTFS).
#include <windows.h>

#include <cwchar>

#include "platform/file_system.h"

namespace pelto {
namespace {

std::wstring WidePath(const std::string& path) {
    if (path.empty()) return {};
    const int n = MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), out.data(), n);
    return out;
}

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!valid()) return true;
        const bool ok = CloseHandle(m_h) != FALSE;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 30) ? (1u << 30) : bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

class Win32FileSystem final : public FileSystem {
public:
    FileRead ReadWholeFile(const std::string& path, std::string& bytes) override {
        bytes.clear();
        const std::wstring wide = WidePath(path);
        if (wide.empty()) return FileRead::kMissing;
        Handle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            const DWORD error = GetLastError();
            return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? FileRead::kMissing
                                                                                    : FileRead::kFailed;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
            static_cast<unsigned long long>(size.QuadPart) > kMaxReadBytes)
            return FileRead::kFailed;
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                          nullptr)) {
                bytes.clear();
                return FileRead::kFailed;
            }
            if (got == 0) break;  // the file shrank while we read it
            done += got;
        }
        bytes.resize(done);
        return FileRead::kOk;
    }

    bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override {
        const std::wstring target = WidePath(path);
        if (target.empty()) return false;
        // A file the user made read-only stays as it is, as the system's own profile writer
        // leaves it (checked here: not every file system refuses the rename over it).
        const DWORD old = GetFileAttributesW(target.c_str());
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY)) return false;
        // The temporary file sits next to the target (a rename never crosses volumes) under a name
        // no other running copy of the program picks.
        static LONG counter = 0;
        std::wstring temp;
        HANDLE h = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 16 && h == INVALID_HANDLE_VALUE; ++attempt) {
            wchar_t suffix[40];
            swprintf(suffix, 40, L".%lx-%lx.tmp", GetCurrentProcessId(),
                     static_cast<unsigned long>(InterlockedIncrement(&counter)));
            temp = target + suffix;
            h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
            if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
        }
        Handle file(h);
        if (!file.valid()) return false;
        const bool written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
        const bool closed = file.Close();
        if (written && closed) {
            // The new file keeps the old one's hidden and system marks.
            const DWORD keep =
                old == INVALID_FILE_ATTRIBUTES ? 0 : old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
            if (keep != 0) SetFileAttributesW(temp.c_str(), keep);
            if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
        }
        DeleteFileW(temp.c_str());
        return false;
    }
};

}  // namespace

FileSystem& NativeFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace pelto
