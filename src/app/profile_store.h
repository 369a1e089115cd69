#pragma once
// The settings file on disk: read whole, edited in memory, written back whole in one atomic
// replace. Every save reads the file afresh first, so keys this copy of the program does not own
// (the server history, keys another copy wrote, the user's own lines) survive it.
#include <functional>
#include <string>

#include "app/profile_file.h"
#include "app/settings.h"
#include "platform/file_system.h"

namespace pelto {

// The file as it is on disk. A missing file (or folder) gives an empty document and true; a file
// that exists but cannot be read gives an empty document and false.
bool ReadProfile(FileSystem& fs, const std::string& path, ProfileFile& file);

// Reads the file, lets `edit` change it and, when anything changed, replaces the file with the
// result in one step. False when nothing could be saved: the file was unreadable (it is then left
// exactly as it is rather than overwritten from scratch) or the write failed (the old file stays).
bool UpdateProfile(FileSystem& fs, const std::string& path, const std::function<void(ProfileFile&)>& edit);

// LoadSettings from the file at `path`; every default when it is missing or unreadable.
void LoadSettingsFile(Settings& settings, FileSystem& fs, const std::string& path);

// SaveSettings into the file at `path`. The result only tells tests what happened: the clock goes
// on with the values it holds whether or not they reached the disk.
bool SaveSettingsFile(const Settings& settings, FileSystem& fs, const std::string& path);

}  // namespace pelto
