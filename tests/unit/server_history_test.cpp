// The network settings dialog's server history in the settings file.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/default_servers.h"
#include "app/server_history.h"
#include "app/settings.h"

namespace pelto {
namespace {

using Servers = std::vector<std::string>;

std::string D(size_t i) { return std::string(kDefaultServerHistory[i]); }

TEST(ServerHistory, Loading) {
    const struct {
        const char* what;
        const char* file;
        Servers expected;
    } cases[] = {
        {"no file: four defaults and the first again", "", {D(0), D(1), D(2), D(3), D(0)}},
        {"COUNTS below 4 still loads four",
         "[NTP]\r\nCOUNTS=2\r\nNTP0=a\r\nNTP1=b\r\nNTP2=c\r\n",
         {"a", "b", "c", D(3)}},
        {"entries past 3 default to the first server",
         "[NTP]\r\nCOUNTS=6\r\nNTP5=f\r\n",
         {D(0), D(1), D(2), D(3), D(0), "f"}},
        {"negative COUNTS", "[NTP]\r\nCOUNTS=-5\r\n", {D(0), D(1), D(2), D(3)}},
        {"names not NTP01/NTP02", "[NTP]\r\nNTP01=x\r\nNTP02=y\r\nCOUNTS=4\r\n", {D(0), D(1), D(2), D(3)}},
        {"empty entries stay empty", "[NTP]\r\nCOUNTS=4\r\nNTP1=\r\n", {D(0), "", D(2), D(3)}},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadServerHistory(ProfileFile(c.file)), c.expected) << c.what;
}

TEST(ServerHistory, HugeCountIsBounded) {
    const Servers servers = LoadServerHistory(ProfileFile("[NTP]\r\nCOUNTS=2000000000\r\nNTP999=last\r\n"));
    ASSERT_EQ(servers.size(), static_cast<size_t>(kMaxHistoryEntries));
    EXPECT_EQ(servers.back(), "last");
}

TEST(ServerHistory, SavingWritesCountThenEntries) {
    ProfileFile file("[NTP]\r\nCOUNTS=3\r\nNTP0=old0\r\nNTP1=old1\r\nNTP2=old2\r\nCYCLE=5\r\n");
    SaveServerHistory({"ntp.example.org", " padded "}, file);
    EXPECT_EQ(file.Bytes(),
              "[NTP]\r\nCOUNTS=2\r\nNTP0=ntp.example.org\r\nNTP1=\" padded \"\r\nNTP2=old2\r\nCYCLE=5\r\n");
    // Entries 0 to 3 are always read, so an old third entry shows up again.
    EXPECT_EQ(LoadServerHistory(file), (Servers{"ntp.example.org", " padded ", "old2", D(3)}));

    ProfileFile fresh;
    SaveServerHistory({"a", "b", "c", "d", "e", "f"}, fresh);
    EXPECT_EQ(fresh.Bytes(),
              "[NTP]\r\nCOUNTS=6\r\nNTP0=a\r\nNTP1=b\r\nNTP2=c\r\nNTP3=d\r\nNTP4=e\r\nNTP5=f\r\n");
    EXPECT_EQ(LoadServerHistory(fresh), (Servers{"a", "b", "c", "d", "e", "f"}));
}

TEST(ServerHistory, DialogCycleDefaultsToThreeHours) {
    EXPECT_EQ(LoadDialogCycle(ProfileFile()), 3);
    EXPECT_EQ(LoadDialogCycle(ProfileFile("[NTP]\r\nCYCLE=0\r\n")), 0);
    Settings s;
    LoadSettings(s, ProfileFile());
    EXPECT_EQ(s.m_cycle, 2);  // the clock itself runs with 2 when the key is absent
}

TEST(ServerHistory, DefaultsAreFourDifferentHosts) {
    const std::set<std::string_view> distinct(kDefaultServerHistory.begin(), kDefaultServerHistory.end());
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(kDefaultServerHistory[0], kDefaultNtpServer);
    for (std::string_view host : kDefaultServerHistory)
        EXPECT_EQ(host.find_first_of(" /:"), std::string_view::npos);
}

}  // namespace
}  // namespace pelto
