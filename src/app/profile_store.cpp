#include "app/profile_store.h"

namespace pelto {

bool ReadProfile(FileSystem& fs, const std::string& path, ProfileFile& file) {
    std::string bytes;
    const FileRead result = fs.ReadWholeFile(path, bytes);
    file = result == FileRead::kOk ? ProfileFile(bytes) : ProfileFile();
    return result != FileRead::kFailed;
}

bool UpdateProfile(FileSystem& fs, const std::string& path, const std::function<void(ProfileFile&)>& edit) {
    ProfileFile file;
    if (!ReadProfile(fs, path, file)) return false;
    edit(file);
    if (!file.Changed()) return true;
    return fs.ReplaceWholeFile(path, file.Bytes());
}

void LoadSettingsFile(Settings& settings, FileSystem& fs, const std::string& path) {
    ProfileFile file;
    ReadProfile(fs, path, file);
    LoadSettings(settings, file);
}

bool SaveSettingsFile(const Settings& settings, FileSystem& fs, const std::string& path) {
    return UpdateProfile(fs, path, [&settings](ProfileFile& file) { SaveSettings(settings, file); });
}

}  // namespace pelto
