// Loading and saving every setting through the settings file, checked against byte-exact golden
// files in tests/fixtures/settings: <case>.in.ini is the file before (none: no file), <case>.out.ini
// (fresh.ini for the first save) the file after one save. PELTO_UPDATE_GOLDEN=1 rewrites the
// goldens from the current code; review the diff before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "app/default_servers.h"
#include "app/profile_store.h"
#include "app/server_history.h"
#include "app/settings.h"
#include "platform/file_system.h"
#include "unit/temp_dir.h"

namespace pelto {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

const std::string kFixtures = std::string(PELTO_FIXTURES) + "/settings/";
const std::string kDefaultFace = "ＭＳ Ｐゴシック";

struct FileCase {
    const char* name;
    const char* golden;                                // file after the save
    std::function<void(const Settings&)> checkLoaded;  // what the clock starts with
    std::function<void(Settings&)> change;             // what the user changes before the save
};

void ExpectDefaults(const Settings& s) {
    for (int set = 0; set < 2; ++set) {
        const LogFontA& f = s.m_logFont[set];
        EXPECT_EQ(f.lfHeight, set == 0 ? 50 : 100);
        EXPECT_EQ(f.lfWidth, set == 0 ? 25 : 50);
        EXPECT_EQ(f.lfEscapement, 0);
        EXPECT_EQ(f.lfOrientation, 0);
        EXPECT_EQ(f.lfWeight, 400);
        EXPECT_EQ(f.lfItalic + f.lfUnderline + f.lfStrikeOut, 0);
        EXPECT_EQ(f.lfCharSet, 128);
        EXPECT_EQ(f.lfOutPrecision + f.lfClipPrecision + f.lfQuality + f.lfPitchAndFamily, 0);
        EXPECT_EQ(FaceName(f), kDefaultFace);
    }
    EXPECT_EQ(s.m_fontSet, 0);
    EXPECT_EQ(s.m_windowX, 0);
    EXPECT_EQ(s.m_windowY, 0);
    EXPECT_EQ(s.m_onlineColor, 0x00FF00u);
    EXPECT_EQ(s.m_offlineColor, 0x00FFFFu);
    EXPECT_EQ(s.m_topMost, 1);
    EXPECT_EQ(s.m_showSeconds, 0);
    EXPECT_EQ(s.m_hour24, 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(s.m_numChar[i], std::to_string(i));
    EXPECT_EQ(s.m_colChar, ":");
    EXPECT_EQ(s.m_fullAuto, 1);
    EXPECT_EQ(s.m_exec, 1);
    EXPECT_EQ(s.m_cycle, 2);
    EXPECT_EQ(s.m_rasCheck, 0);
    EXPECT_EQ(s.m_useHttp, 0);
    EXPECT_EQ(s.m_ntpServer1, kDefaultNtpServer);
    EXPECT_EQ(s.m_httpUrl1, kDefaultHttpTimePage);
    EXPECT_EQ(s.m_httpUrl1.substr(s.m_httpUrl1.find('/')), "/cgi-bin/ntp");
    EXPECT_EQ(s.m_ntpServer2, "");
    EXPECT_EQ(s.m_httpUrl2, "");
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const FileCase kCases[] = {
    {"no_file", "fresh.ini", ExpectDefaults, nullptr},
    {"italic_257", "italic_257.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_logFont[0].lfItalic, 1);       // 257: the low 8 bits
         EXPECT_EQ(s.m_logFont[1].lfUnderline, 255);  // -1: the low 8 bits, written unsigned
         EXPECT_EQ(s.m_logFont[1].lfCharSet, 128);
     },
     nullptr},
    {"height_negative", "height_negative.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_logFont[0].lfHeight, -24);
         EXPECT_EQ(s.m_logFont[0].lfWidth, 0);
     },
     nullptr},
    {"quoted_strings", "quoted_strings.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_numChar[0], "０");    // blanks around it dropped
         EXPECT_EQ(s.m_numChar[1], "一");    // quotes removed
         EXPECT_EQ(s.m_numChar[2], " 二 ");  // blanks inside quotes kept
         EXPECT_EQ(s.m_colChar, "：");
         EXPECT_EQ(s.m_ntpServer1, "ntp.example.jp");
     },
     nullptr},
    {"empty_values", "empty_values.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_numChar[5], "");
         EXPECT_EQ(s.m_colChar, "");
         EXPECT_EQ(s.m_ntpServer1, "");
         EXPECT_EQ(s.m_ntpServer2, "");
         EXPECT_EQ(s.m_httpUrl1, "");
         EXPECT_EQ(s.m_cycle, 2);  // an empty number is no number: the default
     },
     nullptr},
    {"non_numeric", "non_numeric.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_topMost, 0);
         EXPECT_EQ(s.m_hour24, 0);
         EXPECT_EQ(s.m_onlineColor, 0u);
         EXPECT_EQ(s.m_logFont[0].lfWeight, 700);
         EXPECT_EQ(s.m_cycle, 12);
         EXPECT_EQ(s.m_fullAuto, 1);
     },
     nullptr},
    {"any_case", "any_case.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_logFont[0].lfHeight, 30);
         EXPECT_EQ(s.m_numChar[3], "III");
         EXPECT_EQ(s.m_cycle, 5);
         EXPECT_EQ(s.m_ntpServer1, "ntp.example.net");
     },
     [](Settings& s) { s.m_cycle = 4; }},
    {"survivors", "survivors.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_showSeconds, 1);
         EXPECT_EQ(s.m_cycle, 6);
     },
     [](Settings& s) { s.m_showSeconds = 0; }},
    {"font1flag", "font1flag.out.ini",
     [](const Settings& s) {
         EXPECT_EQ(s.m_fontSet, 1);
         EXPECT_EQ(s.m_windowX, 21);
         EXPECT_EQ(s.m_windowY, 22);
     },
     [](Settings& s) {  // the window was dragged
         s.m_windowX = 300;
         s.m_windowY = -40;
     }},
    {"long_face", "long_face.out.ini",
     [](const Settings& s) {
         // 32 and 33 bytes: cut to fit 31, never inside a double-byte character.
         EXPECT_EQ(FaceName(s.m_logFont[0]), Repeat("あ", 15));
         EXPECT_EQ(FaceName(s.m_logFont[1]), std::string("A") + Repeat("あ", 15));
         EXPECT_EQ(s.m_logFont[1].lfFaceName[31], '\0');
     },
     nullptr},
};

TEST(SettingsFile, GoldenCases) {
    const bool update = std::getenv("PELTO_UPDATE_GOLDEN") != nullptr;
    for (const FileCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File("PELTO.INI");
        const std::string input = ReadBytes(kFixtures + c.name + ".in.ini");
        if (!input.empty()) WriteBytes(path, input);

        Settings loaded;
        LoadSettingsFile(loaded, NativeFileSystem(), path);
        c.checkLoaded(loaded);

        Settings changed = loaded;
        if (c.change) c.change(changed);
        ASSERT_TRUE(SaveSettingsFile(changed, NativeFileSystem(), path));
        const std::string saved = ReadBytes(path);
        if (update) WriteBytes(kFixtures + c.golden, saved);
        EXPECT_EQ(saved, ReadBytes(kFixtures + c.golden));

        // The next start reads back exactly what was saved.
        Settings restarted;
        LoadSettingsFile(restarted, NativeFileSystem(), path);
        EXPECT_TRUE(restarted == changed);
        // Saving again without a change leaves the file as it is.
        ASSERT_TRUE(SaveSettingsFile(restarted, NativeFileSystem(), path));
        EXPECT_EQ(ReadBytes(path), saved);
    }
}

TEST(SettingsFile, ServerHistorySurvivesSaves) {
    ProfileFile file(ReadBytes(kFixtures + "survivors.in.ini"));
    Settings s;
    LoadSettings(s, file);
    SaveSettings(s, file);
    const std::vector<std::string> expected = {"ntp.example.org", "ntp.example.net", "192.0.2.1",
                                               std::string(kDefaultServerHistory[3])};
    EXPECT_EQ(LoadServerHistory(file), expected);
}

TEST(SettingsFile, OtherSetsWindowPositionIsReadOnDemand) {
    const ProfileFile file(ReadBytes(kFixtures + "font1flag.in.ini"));
    int x = 0, y = 0;
    ReadWindowPosition(file, 0, 0, 0, x, y);
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, 12);
    // A set never saved opens where the clock is.
    ReadWindowPosition(ProfileFile("[PELTOCLOCK]\r\n"), 1, 640, 480, x, y);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(y, 480);
}

TEST(SettingsTable, EveryKeyOnceInBothOrders) {
    std::vector<std::string> saved, loaded;
    for (const SettingRow& row : SettingRows()) saved.emplace_back(row.key);
    for (std::string_view key : SettingLoadOrder()) loaded.emplace_back(key);
    std::sort(saved.begin(), saved.end());
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(std::adjacent_find(saved.begin(), saved.end()), saved.end());
    EXPECT_EQ(saved, loaded);
    EXPECT_EQ(saved.size(), 58u);
}

TEST(SettingsTable, LoadReadsTheActiveSetAfterFontSetFlag) {
    // FONT1FLAG decides which window position is read, wherever it stands in the file.
    Settings s;
    LoadSettings(s, ProfileFile("[PELTOCLOCK]\r\nWNDPOINTX_0=1\r\nWNDPOINTX_1=2\r\nFONT1FLAG=7\r\n"));
    EXPECT_EQ(s.m_fontSet, 7);  // used as read
    EXPECT_EQ(s.m_windowX, 2);
}

TEST(SettingsTable, FaceNameField) {
    LogFontA f;
    std::fill(std::begin(f.lfFaceName), std::end(f.lfFaceName), 'x');
    SetFaceName(f, "Arial");
    EXPECT_EQ(FaceName(f), "Arial");
    EXPECT_EQ(f.lfFaceName[31], '\0');
    SetFaceName(f, std::string(40, 'a'));
    EXPECT_EQ(FaceName(f), std::string(31, 'a'));
    SetFaceName(f, std::string("A") + Repeat("あ", 16));  // 33 bytes: a character boundary at 31
    EXPECT_EQ(FaceName(f), std::string("A") + Repeat("あ", 15));
    SetFaceName(f, Repeat("あ", 16));  // 32 bytes: 31 would split the 16th character
    EXPECT_EQ(FaceName(f), Repeat("あ", 15));
}

}  // namespace
}  // namespace pelto
