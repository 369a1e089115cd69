#include "app/server_history.h"

#include <algorithm>

#include "app/default_servers.h"
#include "app/settings.h"

namespace pelto {
namespace {

std::string HistoryKey(size_t i) { return "NTP" + std::to_string(i); }

}  // namespace

std::vector<std::string> LoadServerHistory(const ProfileFile& file) {
    const int32_t counts = file.GetInt(kNtpSection, "COUNTS", kDefaultHistoryCount);
    const size_t n = static_cast<size_t>(
        std::clamp(counts, static_cast<int32_t>(kDefaultServerHistory.size()), kMaxHistoryEntries));
    std::vector<std::string> servers;
    servers.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const std::string_view def =
            i < kDefaultServerHistory.size() ? kDefaultServerHistory[i] : kDefaultNtpServer;
        servers.push_back(file.GetString(kNtpSection, HistoryKey(i), def));
    }
    return servers;
}

void SaveServerHistory(const std::vector<std::string>& servers, ProfileFile& file) {
    file.WriteInt(kNtpSection, "COUNTS", static_cast<int32_t>(servers.size()));
    for (size_t i = 0; i < servers.size(); ++i)
        file.WriteString(kNtpSection, HistoryKey(i), ProfileFile::ReadableForm(servers[i]));
}

int32_t LoadDialogCycle(const ProfileFile& file) {
    return file.GetInt(kNtpSection, "CYCLE", kDialogDefaultCycle);
}

}  // namespace pelto
