// Our profile reader/writer against the system's own: GetPrivateProfileStringA,
// GetPrivateProfileIntA and WritePrivateProfileStringA must read the same values from the same
// bytes and leave the same bytes after the same writes. The system's writer rewrites the whole
// file in its own layout, so the write cases start from files already in that layout (CR LF,
// "key=value", no blank lines); the read cases include untidy files.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/profile_file.h"
#include "app/settings.h"
#include "unit/temp_dir.h"

namespace pelto {
namespace {

using namespace std::string_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Each case gets a file name of its own: the system caches profile files by name.
std::string NewFile(const TempDir& dir) {
    static int counter = 0;
    return dir.File("case" + std::to_string(++counter) + ".ini");
}

std::string SystemGetString(const std::string& path, const char* section, const char* key, const char* def) {
    std::vector<char> buffer(4096);
    const DWORD n = GetPrivateProfileStringA(section, key, def, buffer.data(),
                                             static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), n);
}

struct Query {
    const char* section;
    const char* key;
};

TEST(ProfileCrossCheck, ReadsAgreeWithTheSystem) {
    const struct {
        std::string file;
        std::vector<Query> queries;
    } cases[] = {
        {"[s]\r\nk=v\r\nK2 = spaced value \r\nq=\"quoted\"\r\nq1='single'\r\nqm=\"mixed'\r\ne=\r\nb=   "
         "\r\nnoeq\r\n"
         "i=42\r\nneg=-24\r\nplus=+7\r\ntail=12abc\r\ntext=abc\r\nwrap=4294967297\r\nqi=\"15\"\r\n",
         {{"s", "k"},
          {"S", "K"},
          {"s", "k2"},
          {"s", "q"},
          {"s", "q1"},
          {"s", "qm"},
          {"s", "e"},
          {"s", "b"},
          {"s", "noeq"},
          {"s", "absent"},
          {"t", "k"},
          {"s", "i"},
          {"s", "neg"},
          {"s", "plus"},
          {"s", "tail"},
          {"s", "text"},
          {"s", "wrap"},
          {"s", "qi"}}},
        {"k=before\r\n[ s ]\r\nk=1\r\nk=2\r\n[s]\r\nother=3\r\n[t] trailing\r\nx=4\r\n",
         {{"s", "k"}, {"s", "other"}, {"t", "x"}}},
        {"[s]\nk=lf\n[t]\rk=cr\r[u]\r\nk=crlf", {{"s", "k"}, {"t", "k"}, {"u", "k"}}},
        {"[s]\r\n[broken\r\nk=v\r\n", {{"s", "k"}, {"broken", "k"}}},
        {"[a]b]\r\nk=v\r\n;k=comment\r\n", {{"a]b", "k"}, {"a", "k"}}},
        {"[s]\r\n\t k \t=\t v \t\r\n", {{"s", "k"}}},
        {"[PELTOCLOCK]\r\nLFHEIGHT_0=-24\r\nLFITALIC_0=257\r\nTOPFLAG=yes\r\nNUMCHAR1=\r\n[NTP]\r\nCYCLE="
         "\r\n",
         {{"PELTOCLOCK", "LFHEIGHT_0"},
          {"PELTOCLOCK", "LFITALIC_0"},
          {"PELTOCLOCK", "TOPFLAG"},
          {"PELTOCLOCK", "NUMCHAR1"},
          {"NTP", "CYCLE"},
          {"NTP", "NTP01"}}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string path = NewFile(dir);
        WriteBytes(path, c.file);
        const ProfileFile ours(c.file);
        for (const Query& q : c.queries) {
            SCOPED_TRACE(std::string(q.section) + "/" + q.key + " in " + c.file);
            EXPECT_EQ(ours.GetString(q.section, q.key, "DEF"),
                      SystemGetString(path, q.section, q.key, "DEF"));
            EXPECT_EQ(ours.GetInt(q.section, q.key, 77),
                      static_cast<int32_t>(GetPrivateProfileIntA(q.section, q.key, 77, path.c_str())));
        }
    }
}

TEST(ProfileCrossCheck, WritesLeaveTheSameBytes) {
    using Write = std::array<const char*, 3>;
    const struct {
        std::string before;  // "" : no file
        std::vector<Write> writes;
    } cases[] = {
        {"",
         {{"App1", "key1", "string1"},
          {"App1", "key2", "string2"},
          {"App2", "key3", "string3"},
          {"App1", "key4", "string4"},
          {"app1", "KEY1", "changed"},
          {"App3", "key5", ""}}},
        {"[s]\r\nname1=val1\r\n;comment\r\nname2=\r\n[t]\r\nx=1\r\n",
         {{"s", "name2", "val2"},
          {"s", "name3", "val3"},
          {"T", "X", "2"},
          {"u", "y", "3"},
          {"s", "name1", "val1"}}},
        {"[s]\r\nk=old\r\n", {{"s", "k", "  leading blanks"}, {"s", "t", "trailing  "}}},
        {"[PELTOCLOCK]\r\nSECFLAG=1\r\n[NTP]\r\nCOUNTS=2\r\nNTP0=a\r\nNTP1=b\r\n",
         {{"NTP", "CYCLE", "3"}, {"PELTOCLOCK", "SECFLAG", "0"}, {"NTP", "NTP0", "ntp.example.org"}}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        const std::string path = NewFile(dir);
        if (!c.before.empty()) WriteBytes(path, c.before);
        ProfileFile ours(c.before);
        for (const auto& [section, key, value] : c.writes) {
            ours.WriteString(section, key, value);
            ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, path.c_str()));
        }
        EXPECT_EQ(ours.Bytes(), ReadBytes(path));
    }
}

// The first save on a fresh file, made once by SaveSettings and once by the system's writer with
// the same keys and values in the same order (the face name is Japanese: the Wine prefix runs in
// code page 932).
TEST(ProfileCrossCheck, FirstSaveMatchesTheSystemsWriter) {
    Settings s;
    LoadSettings(s, ProfileFile());
    ProfileFile ours;
    SaveSettings(s, ours);

    TempDir dir;
    const std::string path = NewFile(dir);
    for (const SettingRow& row : SettingRows()) {
        if (row.activeSet == 1) continue;  // set 0 is active
        const std::string section(row.section), key(row.key);
        const std::string value = ours.GetString(section, key, "");
        ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()));
    }
    ASSERT_EQ(GetACP(), 932u);
    EXPECT_EQ(ours.Bytes(), ReadBytes(path));
}

}  // namespace
}  // namespace pelto
