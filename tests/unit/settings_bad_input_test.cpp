// Settings files nobody should write but somebody will: odd line breaks, NUL bytes, huge lines,
// binary garbage, a broken header. Loading never fails, saving never loses a byte it does not own,
// and the next start reads what was saved.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/profile_store.h"
#include "app/settings.h"
#include "platform/file_system.h"
#include "unit/temp_dir.h"

namespace pelto {
namespace {

using namespace std::string_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string Sample(const std::string& eol) {
    return "[PELTOCLOCK]" + eol + "SECFLAG=1" + eol + "LFHEIGHT_0=-30" + eol + "[NTP]" + eol + "CYCLE=7" +
           eol;
}

std::string Garbage(size_t n, uint32_t seed) {
    std::string out(n, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return out;
}

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

struct BadCase {
    const char* what;
    std::string file;
    std::function<void(const Settings&)> check;
    std::vector<std::string> kept;  // byte runs the save must leave as they are
    bool prefixKept = false;        // the whole original file stays at the front
};

void ExpectSample(const Settings& s) {
    EXPECT_EQ(s.m_showSeconds, 1);
    EXPECT_EQ(s.m_logFont[0].lfHeight, -30);
    EXPECT_EQ(s.m_cycle, 7);
}

void ExpectDefaultLook(const Settings& s) {
    EXPECT_EQ(s.m_showSeconds, 0);
    EXPECT_EQ(s.m_logFont[0].lfHeight, 50);
    EXPECT_EQ(s.m_cycle, 2);
}

TEST(SettingsBadInput, NeverCrashesNeverLosesTheFile) {
    const std::string megaLine(1 << 20, 'x');
    const std::string megaValue(1 << 20, 'z');
    const std::string garbage = Garbage(64 * 1024, 12345);
    const std::string sample = Sample("\r\n");
    const BadCase cases[] = {
        {"LF line breaks", Sample("\n"), ExpectSample, {}},
        {"CR LF line breaks", sample, ExpectSample, {}},
        {"CR line breaks", Sample("\r"), ExpectSample, {}},
        {"no final line break", sample.substr(0, sample.size() - 2), ExpectSample, {}},
        {"NUL bytes",
         "\0\0head\0\r\n[PELTOCLOCK]\r\nSECFLAG=1\0junk\r\nLFHEIGHT_0=-30\r\n\0=\0\r\n[NTP]\r\nCYCLE=7\r\n"s,
         ExpectSample,
         {"\0\0head\0\r\n"s, "\r\n\0=\0\r\n"s}},
        {"a 1 MB line before, inside and as a value",
         megaLine + "\r\n" + sample.substr(0, 14) + megaLine + "\r\nNUMCHAR1=" + megaValue + "\r\n" +
             sample.substr(14),
         [](const Settings& s) {
             ExpectSample(s);
             EXPECT_EQ(s.m_numChar[1], std::string(ProfileFile::kMaxValueBytes, 'z'));
         },
         {megaLine + "\r\n[PELTOCLOCK]\r\n" + megaLine + "\r\n"}},
        {"binary garbage", garbage, ExpectDefaultLook, {}, true},
        {"binary garbage around a good section",
         garbage + "\r\n" + sample + garbage,
         [](const Settings& s) { EXPECT_EQ(s.m_showSeconds, 1); },
         {garbage + "\r\n[PELTOCLOCK]\r\n"}},
        {"a header without ']'",
         "[PELTOCLOCK\r\nSECFLAG=1\r\nLFHEIGHT_0=-30\r\n",
         ExpectDefaultLook,
         {},
         true},
        {"a header without ']' inside a good file",
         "[PELTOCLOCK]\r\nSECFLAG=1\r\n[NTP\r\nCYCLE=7\r\n",
         [](const Settings& s) {
             EXPECT_EQ(s.m_showSeconds, 1);
             EXPECT_EQ(s.m_cycle, 2);  // "CYCLE" belongs to PELTOCLOCK
         },
         {"[NTP\r\nCYCLE=7\r\n"}},
        {"only blanks", "  \t\r\n\r\n \x1A", ExpectDefaultLook, {}, true},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.File("PELTO.INI");
        WriteBytes(path, c.file);

        Settings s;
        LoadSettingsFile(s, NativeFileSystem(), path);
        c.check(s);

        s.m_topMost = 0;  // a change, so the save has something to write
        ASSERT_TRUE(SaveSettingsFile(s, NativeFileSystem(), path));
        const std::string saved = ReadBytes(path);
        for (const std::string& run : c.kept) EXPECT_NE(saved.find(run), std::string::npos);
        if (c.prefixKept) {
            EXPECT_EQ(saved.substr(0, c.file.size()), c.file);
        }
        if (c.file.find("[PELTOCLOCK]") != std::string::npos) {
            EXPECT_EQ(Count(saved, "[PELTOCLOCK]"), Count(c.file, "[PELTOCLOCK]"));  // no second section
        }
        if (c.file.find('\r') == std::string::npos) {
            EXPECT_EQ(saved.find('\r'), std::string::npos);  // an LF file stays an LF file
        }
        if (c.file.find('\n') == std::string::npos && c.file.find('\r') != std::string::npos) {
            EXPECT_EQ(saved.find('\n'), std::string::npos);
        }

        Settings restarted;
        LoadSettingsFile(restarted, NativeFileSystem(), path);
        EXPECT_TRUE(restarted == s);
    }
}

}  // namespace
}  // namespace pelto
