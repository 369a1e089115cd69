// The network settings dialog's two server lists: trimming, case-blind search and matching in code
// page 932, moving to the top, the 20-entry limit, and the dialog's flows over its two boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/default_servers.h"
#include "app/server_history.h"
#include "dialogs/server_list.h"

namespace pelto {
namespace {

std::string D(size_t i) { return std::string(kDefaultServerHistory[i]); }

TEST(ServerList, TrimRemovesOnlySingleByteBlanks) {
    const struct {
        std::string in, out;
    } cases[] = {
        {" \t ntp.example.org \r\n\v\f", "ntp.example.org"},
        {"   ", ""},
        {"", ""},
        {"a b", "a b"},
        {"　ntp　", "　ntp　"},          // ideographic spaces stay
        {" サーバー　 ", "サーバー　"},  // ends in an ideographic space (0x81 0x40)
        {std::string("\x83\x40 ", 3), std::string("\x83\x40", 2)},  // trail byte '@' is no blank
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        TrimServerText(s);
        EXPECT_EQ(s, c.out) << c.in;
    }
}

TEST(ServerList, CaseIsIgnoredCharacterByCharacter) {
    const struct {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"NTP.Example.ORG", "ntp.example.org", true},
        {"ＮＴＰ", "ｎｔｐ", true},  // full-width letters fold too
        {"ntp1", "ntp2", false},
        {"ntp", "ntp.", false},
        // Second bytes 'A' and 'a' of two different katakana are not letters.
        {std::string("\x83\x41", 2), std::string("\x83\x61", 2), false},
        {std::string("\x83\x41", 2), std::string("\x83\x41", 2), true},
        {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;

    EXPECT_TRUE(StartsWithIgnoringCase("Time.Example.org", "time."));
    EXPECT_TRUE(StartsWithIgnoringCase("anything", ""));
    EXPECT_FALSE(StartsWithIgnoringCase("time", "time.example"));
    // A prefix that ends inside a double-byte character matches nothing.
    EXPECT_FALSE(StartsWithIgnoringCase("サーバー", std::string("\x83", 1)));
}

TEST(ServerList, ExactSearchStartsAtTheSecondEntryAndChecksTheFirstLast) {
    const struct {
        ServerList list;
        const char* text;
        int found;
    } cases[] = {
        {{"x", "a", "X"}, "x", 2}, {{"X", "a"}, "x", 0}, {{"a", "b"}, "c", -1}, {{}, "a", -1},
        {{"a", "A", "a"}, "a", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(FindServerExact(c.list, c.text), c.found) << c.text;
}

TEST(ServerList, MovingToTheTopRemovesOnlyTheFirstMatchFound) {
    ServerList list{"ntp.a", "ntp.b", "NTP.A"};
    MoveServerToTop(list, "ntp.a");
    EXPECT_EQ(list, (ServerList{"ntp.a", "ntp.a", "ntp.b"}));
    ServerList fresh{"p", "q"};
    MoveServerToTop(fresh, "r");
    EXPECT_EQ(fresh, (ServerList{"r", "p", "q"}));
}

// The two boxes of the dialog as its handlers see them: each shows the first entry that begins
// with its server text, or that text itself.
struct Boxes {
    std::string server1, server2;  // the dialog's members
    ServerLists lists;
    std::string edit1, edit2;  // what the boxes show

    static std::string Shown(const ServerList& list, const std::string& member) {
        const int i = FindServerPrefix(list, member);
        return i >= 0 ? list[static_cast<size_t>(i)] : member;
    }
    void Read() {
        server1 = edit1;
        server2 = edit2;
    }
    void Show() {
        edit1 = Shown(lists.first, server1);
        edit2 = Shown(lists.second, server2);
    }
    // Opening: the members go in while the lists are still empty, then the lists are loaded.
    void Open(const ServerList& history) {
        edit1 = server1;
        edit2 = server2;
        lists = ServerLists::Open(history, server1, server2);
        if (!server1.empty()) edit1 = lists.first[0];
        if (!server2.empty()) edit2 = lists.second[0];
    }
    void Type(int box, const std::string& text) { (box == 1 ? edit1 : edit2) = text; }
    void Leave(int box) {
        Read();
        std::string& member = box == 1 ? server1 : server2;
        TrimServerText(member);
        if (!member.empty()) lists.Remember(member);
        Show();
    }
    // OK hands these back; the history saved is lists.first.
    void Ok() {
        Read();
        TrimServerText(server1);
    }
};

TEST(ServerList, NoHistoryKeysGiveFiveEntriesAndTheDefaultServerTwiceOnTop) {
    Boxes b{D(0), "", {}, {}, {}};
    b.Open(LoadServerHistory(ProfileFile()));
    EXPECT_EQ(b.lists.first, (ServerList{D(0), D(0), D(1), D(2), D(3)}));
    EXPECT_EQ(b.lists.second, (ServerList{D(0), D(1), D(2), D(3), D(0)}));
    EXPECT_EQ(b.edit1, D(0));
    EXPECT_EQ(b.edit2, "");
}

TEST(ServerList, DialogFlows) {
    ServerList twenty;
    for (int i = 0; i < 20; ++i) twenty.push_back("ntp" + std::to_string(i) + ".example.org");
    const std::string history20 = [&] {
        std::string f = "[NTP]\r\nCOUNTS=20\r\n";
        for (size_t i = 0; i < twenty.size(); ++i) f += "NTP" + std::to_string(i) + "=" + twenty[i] + "\r\n";
        return f;
    }();

    struct Case {
        const char* what;
        std::string file, server1, server2;
        int box;            // the box typed into and left
        std::string typed;  // what is typed there before it is left
        ServerList first, second;
        std::string back1, back2;  // what OK hands back
    };
    const Case cases[] = {
        {"a server in other letter case replaces the old entry at the top of both lists",
         "[NTP]\r\nCOUNTS=4\r\nNTP0=a.example\r\nNTP1=Time.Example.ORG\r\nNTP2=b.example\r\nNTP3=c."
         "example\r\n",
         "a.example",
         "b.example",
         2,
         "  time.example.org ",
         {"time.example.org", "a.example", "b.example", "c.example"},
         {"time.example.org", "b.example", "a.example", "c.example"},
         "a.example",
         "time.example.org"},
        {"20 entries plus a new one stay 20, the last one dropped", history20, twenty[0], twenty[1], 1,
         "new.example.org",
         [&] {
             ServerList l{"new.example.org"};
             l.insert(l.end(), twenty.begin(), twenty.end() - 1);
             return l;
         }(),
         [&] {
             ServerList l{"new.example.org", twenty[1], twenty[0]};
             l.insert(l.end(), twenty.begin() + 2, twenty.end() - 1);
             return l;
         }(),
         "new.example.org", twenty[1]},
        {"COUNTS below 4 still loads NTP0 to NTP3",
         "[NTP]\r\nCOUNTS=1\r\nNTP0=p\r\nNTP1=q\r\n",
         "p",
         "q",
         1,
         "p",
         {"p", "q", D(2), D(3)},
         {"p", "q", D(2), D(3)},
         "p",
         "q"},
        {"an empty second server takes the first entry once a box is left",
         "[NTP]\r\nCOUNTS=4\r\nNTP0=p\r\nNTP1=q\r\nNTP2=r\r\nNTP3=s\r\n",
         "q",
         "",
         1,
         "q",
         {"q", "p", "r", "s"},
         {"q", "p", "r", "s"},
         "q",
         "q"},
        {"a name that begins another selects the longer entry in the other box",
         "[NTP]\r\nCOUNTS=4\r\nNTP0=ntp.example.org.jp\r\nNTP1=ntp.example.org\r\nNTP2=r\r\nNTP3=s\r\n",
         "r",
         "ntp.example.org",
         1,
         "ntp.example.org.jp",
         {"ntp.example.org.jp", "r", "ntp.example.org", "s"},
         {"ntp.example.org.jp", "ntp.example.org", "r", "s"},
         "ntp.example.org.jp",
         "ntp.example.org.jp"},
        {"blanks only change no list",
         "[NTP]\r\nCOUNTS=4\r\nNTP0=p\r\nNTP1=q\r\nNTP2=r\r\nNTP3=s\r\n",
         "p",
         "q",
         1,
         " \t ",
         {"p", "q", "r", "s"},
         {"q", "p", "r", "s"},
         "p",
         "q"},
        {"an ideographic space is part of the name",
         "[NTP]\r\nCOUNTS=4\r\nNTP0=p\r\nNTP1=q\r\nNTP2=r\r\nNTP3=s\r\n",
         "p",
         "q",
         2,
         "　q",
         {"　q", "p", "q", "r", "s"},
         {"　q", "q", "p", "r", "s"},
         "p",
         "　q"},
    };
    for (const Case& c : cases) {
        Boxes b{c.server1, c.server2, {}, {}, {}};
        b.Open(LoadServerHistory(ProfileFile(c.file)));
        b.Type(c.box, c.typed);
        b.Leave(c.box);
        b.Ok();
        EXPECT_EQ(b.lists.first, c.first) << c.what;
        EXPECT_EQ(b.lists.second, c.second) << c.what;
        EXPECT_EQ(b.server1, c.back1) << c.what;
        EXPECT_EQ(b.server2, c.back2) << c.what;
    }
}

TEST(ServerList, AHugeHistoryIsLoadedWholeAndEachInsertionDropsOnlyThe21stEntry) {
    ServerList history;
    for (int i = 0; i < 30; ++i) history.push_back("h" + std::to_string(i));
    std::string s1 = "h0", s2;
    ServerLists lists = ServerLists::Open(history, s1, s2);
    EXPECT_EQ(lists.first.size(), 30u);
    lists.Remember("new");
    ASSERT_EQ(lists.first.size(), 30u);
    EXPECT_EQ(lists.first[0], "new");
    EXPECT_EQ(lists.first[20], "h20");  // h19, the 21st after the insertion, went
    EXPECT_EQ(lists.first[19], "h18");
}

}  // namespace
}  // namespace pelto
