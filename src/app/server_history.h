#pragma once
// The server history of the network settings dialog in the settings file: "COUNTS" entries under
// "NTP0", "NTP1", ... of section "NTP", most recent first. The dialog reads it when it opens and
// writes it on OK; SaveSettings never touches it.
#include <cstdint>
#include <string>
#include <vector>

#include "app/profile_file.h"

namespace pelto {

inline constexpr int32_t kDefaultHistoryCount = 5;
// A COUNTS far beyond any list the dialog writes (it keeps 20) is not allowed to make the dialog
// read for minutes: the load stops here.
inline constexpr int32_t kMaxHistoryEntries = 1000;
// The network settings dialog shows this cycle when the file has no CYCLE key (the clock itself
// runs with 2 in that case).
inline constexpr int32_t kDialogDefaultCycle = 3;

// Entries 0 to 3 always, each with its own default server; entries 4 to COUNTS - 1 when COUNTS is
// larger, with the first default server as their default.
std::vector<std::string> LoadServerHistory(const ProfileFile& file);

// COUNTS = the number of entries, then "NTP%d" for each in list order. Entries past the new count
// left from earlier saves stay in the file; COUNTS keeps them from being read.
void SaveServerHistory(const std::vector<std::string>& servers, ProfileFile& file);

// CYCLE as the network settings dialog reads it afresh: default 3.
int32_t LoadDialogCycle(const ProfileFile& file);

}  // namespace pelto
