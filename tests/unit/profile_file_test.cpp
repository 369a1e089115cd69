// The profile reader/writer against the rules of the Windows profile format: what a read returns,
// and the exact bytes a write leaves.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/profile_file.h"

namespace pelto {
namespace {

using namespace std::string_literals;

struct ReadCase {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;  // with default "DEF"
};

TEST(ProfileFileRead, StringRules) {
    const ReadCase cases[] = {
        {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
        {"names in any case", "[SeCtIoN]\r\nKeY=v\r\n", "section", "KEY", "v"},
        {"blanks around name and value", "[ s ]\r\n \t k \t=  v w \t\r\n", "s", "k", "v w"},
        {"double quotes removed", "[s]\r\nk=\"v w\"\r\n", "s", "k", "v w"},
        {"single quotes removed", "[s]\r\nk='v'\r\n", "s", "k", "v"},
        {"quotes keep inner blanks", "[s]\r\nk=\"  v \"\r\n", "s", "k", "  v "},
        {"blanks outside quotes dropped", "[s]\r\nk=  \"v\"  \r\n", "s", "k", "v"},
        {"quotes that do not match stay", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
        {"a lone quote stays", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"empty quotes read empty", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        {"empty value reads empty", "[s]\r\nk=\r\n", "s", "k", ""},
        {"blank value reads empty", "[s]\r\nk=   \r\n", "s", "k", ""},
        {"line without '=' gives the default", "[s]\r\nk\r\n", "s", "k", "DEF"},
        {"absent key", "[s]\r\nother=v\r\n", "s", "k", "DEF"},
        {"absent section", "[t]\r\nk=v\r\n", "s", "k", "DEF"},
        {"empty file", "", "s", "k", "DEF"},
        {"key before any section is nobody's", "k=v\r\n[s]\r\n", "s", "k", "DEF"},
        {"first key of that name wins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "1"},
        {"only the first section of that name counts", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "s", "k", "DEF"},
        {"section ends at the next header", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", "DEF"},
        {"text after the header's ']' is ignored", "[s] ; note\r\nk=v\r\n", "s", "k", "v"},
        {"the name runs to the last ']'", "[a]b]\r\nk=v\r\n", "a]b", "k", "v"},
        {"header without ']' is an ordinary line", "[s]\r\n[t\r\nk=v\r\n", "s", "k", "v"},
        {"... and opens no section", "[s]\r\n[t\r\nk=v\r\n", "t", "k", "DEF"},
        {"comment lines are not keys", "[s]\r\n;k=v\r\n", "s", "k", "DEF"},
        {"'=' in the value stays", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        {"LF line breaks", "[s]\nx=1\nk=v\n", "s", "k", "v"},
        {"CR line breaks", "[s]\rx=1\rk=v\r", "s", "k", "v"},
        {"mixed line breaks", "[s]\n\rx=1\r\r\nk=v\n", "s", "k", "v"},
        {"no final line break", "[s]\r\nk=v", "s", "k", "v"},
        {"UTF-8 byte-order mark before the first header", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v"},
        {"a NUL ends the value", "[s]\r\nk=ab\0cd\r\n"s, "s", "k", "ab"},
        {"a NUL ends the key name", "[s]\r\nk\0junk=v\r\n"s, "s", "k", "v"},
        {"NUL bytes elsewhere do no harm", "\0\0[x]\0\r\n[s]\r\n\0\r\nk=v\r\n"s, "s", "k", "v"},
        {"^Z is a blank", "[s]\r\nk=v\x1A\r\n", "s", "k", "v"},
        // Code page 932: 表 is 95 5C, ゾ is 83 5D (a ']' as second byte), ア is 83 41 and ヂ 83 61.
        {"double-byte section and key", "[表示]\r\n能力=一\r\n", "表示", "能力", "一"},
        {"a trail byte ']' does not close a header", "[s]\r\n[ゾ\r\nk=v\r\n", "s", "k", "v"},
        {"a real ']' after a trail byte ']' does", "[ゾ]\r\nk=v\r\n", "ゾ", "k", "v"},
        {"trail bytes are not case-folded", "[s]\r\nア=v\r\n", "s", "ヂ", "DEF"},
        {"double-byte text compares as it is", "[s]\r\nア=v\r\n", "s", "ア", "v"},
        {"query names are trimmed", "[s]\r\nk=v\r\n", " s ", " k\t", "v"},
    };
    for (const ReadCase& c : cases) {
        const ProfileFile file(c.file);
        EXPECT_EQ(file.GetString(c.section, c.key, "DEF"), c.expected) << c.what;
    }
}

TEST(ProfileFileRead, DefaultLosesTrailingBlanksAndQuotes) {
    const ProfileFile file;
    EXPECT_EQ(file.GetString("s", "k", "def  "), "def");
    EXPECT_EQ(file.GetString("s", "k", "\"def\""), "def");
    EXPECT_EQ(file.GetString("s", "", "def"), "def");
}

TEST(ProfileFileRead, LongValueIsCutOnACharacterBoundary) {
    // 4094 ASCII bytes then a double-byte character: the limit falls inside it.
    const std::string value = std::string(4094, 'x') + "一" + "tail";
    const ProfileFile file("[s]\r\nk=" + value + "\r\n");
    const std::string got = file.GetString("s", "k", "");
    EXPECT_EQ(got, std::string(4094, 'x'));
    const ProfileFile exact("[s]\r\nk=" + std::string(5000, 'y') + "\r\n");
    EXPECT_EQ(exact.GetString("s", "k", "").size(), ProfileFile::kMaxValueBytes);
}

TEST(ProfileFileRead, IntegerRules) {
    const struct {
        const char* value;  // nullptr: key absent
        int32_t expected;   // with default 77
    } cases[] = {
        {"5", 5},
        {"-24", -24},
        {"+7", 7},
        {"  42  ", 42},
        {"12abc", 12},
        {"42A94967297", 42},
        {"abc", 0},
        {"yes", 0},
        {"- 5", 0},
        {"0x10", 0},  // decimal only
        {"\"12\"", 12},
        {"", 77},
        {"   ", 77},
        {nullptr, 77},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"4294967295", -1},  // 32-bit wrap-around, as the platform's conversion does
        {"4294967297", 1},
        {"-4294967297", -1},
        {"65280", 65280},
    };
    for (const auto& c : cases) {
        const std::string text = c.value ? "[s]\r\nk=" + std::string(c.value) + "\r\n" : "[s]\r\n";
        EXPECT_EQ(ProfileFile(text).GetInt("s", "k", 77), c.expected) << (c.value ? c.value : "(absent)");
    }
}

struct WriteCase {
    const char* what;
    std::string before;
    std::vector<std::array<const char*, 3>> writes;  // section, key, value
    std::string after;
};

TEST(ProfileFileWrite, ExactBytes) {
    const WriteCase cases[] = {
        {"creates the file's first section", "", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"sections and keys in write order",
         "",
         {{"A", "k1", "1"}, {"A", "k2", "2"}, {"B", "k3", "3"}, {"A", "k4", "4"}},
         "[A]\r\nk1=1\r\nk2=2\r\nk4=4\r\n[B]\r\nk3=3\r\n"},
        {"replaces in place, keeping the key's spelling and spacing",
         "; top\r\n[S]\r\n  Key = old ; x\r\nnext=1\r\n",
         {{"s", "KEY", "new"}},
         "; top\r\n[S]\r\n  Key = new\r\nnext=1\r\n"},
        {"replaces an empty value", "[s]\r\nk=\r\n", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"replaces a blank value", "[s]\r\nk=   \r\n", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"replaces a quoted value", "[s]\r\nk=\"old\"\r\n", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"leaves an equal value alone", "[s]\r\nk = v  \r\n", {{"s", "k", "v"}}, "[s]\r\nk = v  \r\n"},
        {"gives a line without '=' its value", "[s]\r\n k \r\n", {{"s", "k", "v"}}, "[s]\r\n k=v\r\n"},
        {"appends after the section's last non-blank line",
         "[a]\r\nx=1\r\n;note\r\n\r\n\r\n[b]\r\ny=2\r\n",
         {{"a", "z", "3"}},
         "[a]\r\nx=1\r\n;note\r\nz=3\r\n\r\n\r\n[b]\r\ny=2\r\n"},
        {"appends right after a bare header",
         "[a]\r\n\r\n[b]\r\n",
         {{"a", "k", "v"}},
         "[a]\r\nk=v\r\n\r\n[b]\r\n"},
        {"a header without ']' belongs to the section above",
         "[a]\r\n[b\r\n",
         {{"a", "k", "v"}, {"b", "k", "w"}},
         "[a]\r\n[b\r\nk=v\r\n[b]\r\nk=w\r\n"},
        {"ends an unfinished last line before appending a key",
         "[a]\r\nx=1",
         {{"a", "z", "3"}},
         "[a]\r\nx=1\r\nz=3\r\n"},
        {"ends an unfinished last line before appending a section",
         "[a]\r\nx=1",
         {{"b", "y", "2"}},
         "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
        {"replacing keeps an unfinished last line unfinished",
         "[a]\r\nx=1",
         {{"a", "x", "22"}},
         "[a]\r\nx=22"},
        {"new lines follow LF files",
         "[a]\nx=1\n",
         {{"a", "z", "3"}, {"b", "y", "2"}},
         "[a]\nx=1\nz=3\n[b]\ny=2\n"},
        {"new lines follow CR files", "[a]\rx=1", {{"b", "y", "2"}}, "[a]\rx=1\r[b]\ry=2\r"},
        {"a file without line breaks gets CR LF", "junk", {{"b", "y", "2"}}, "junk\r\n[b]\r\ny=2\r\n"},
        {"only the first of two equal sections is written",
         "[s]\r\na=1\r\n[s]\r\nk=old\r\n",
         {{"s", "k", "new"}},
         "[s]\r\na=1\r\nk=new\r\n[s]\r\nk=old\r\n"},
        {"value: leading blanks dropped, cut at a line break",
         "",
         {{"s", "k", "  v w \r\n[x]\r\ninjected=1"}},
         "[s]\r\nk=v w \r\n"},
        {"NUL bytes and the byte-order mark stay where they are",
         "\xEF\xBB\xBF\0junk\0\r\n[a]\r\nk=1\r\nz=\0\r\n"s,
         {{"a", "k", "2"}, {"a", "new", "3"}},
         "\xEF\xBB\xBF\0junk\0\r\n[a]\r\nk=2\r\nz=\0\r\nnew=3\r\n"s},
        {"double-byte values are stored byte for byte",
         "",
         {{"PELTOCLOCK", "NUMCHAR1", "一"}},
         "[PELTOCLOCK]\r\nNUMCHAR1=一\r\n"},
    };
    for (const WriteCase& c : cases) {
        ProfileFile file(c.before);
        for (const auto& [section, key, value] : c.writes) file.WriteString(section, key, value);
        EXPECT_EQ(file.Bytes(), c.after) << c.what;
    }
}

TEST(ProfileFileWrite, ChangedOnlyWhenBytesChange) {
    ProfileFile file("[s]\r\nk=v\r\nn=7\r\n");
    file.WriteString("s", "k", "v");
    file.WriteInt("s", "n", 7);
    EXPECT_FALSE(file.Changed());
    file.WriteString("s", "k", "w");
    EXPECT_TRUE(file.Changed());
}

TEST(ProfileFileWrite, IntegersAreSignedDecimal) {
    ProfileFile file;
    file.WriteInt("s", "a", -24);
    file.WriteInt("s", "b", INT32_MIN);
    file.WriteInt("s", "c", 65535);
    EXPECT_EQ(file.Bytes(), "[s]\r\na=-24\r\nb=-2147483648\r\nc=65535\r\n");
    EXPECT_EQ(file.GetInt("s", "b", 0), INT32_MIN);
}

TEST(ProfileFileWrite, ReadableFormReadsBackExactly) {
    const std::string values[] = {"plain", " lead", "trail\t", "  both  ", "\"quoted\"", "'single'",
                                  "\"",    "a\"",   "\" half", "'",        " ",          "",
                                  "一 ",   " ",     "\"'",     "'x'y'"};
    ProfileFile file;
    for (const std::string& v : values) {
        file.WriteString("s", "k", ProfileFile::ReadableForm(v));
        EXPECT_EQ(ProfileFile(file.Bytes()).GetString("s", "k", "DEF"), v) << "[" << v << "]";
    }
    EXPECT_EQ(ProfileFile::ReadableForm("plain"), "plain");
    EXPECT_EQ(ProfileFile::ReadableForm(" x"), "\" x\"");
}

TEST(ProfileFileWrite, ReadsBackWhatItWrote) {
    ProfileFile file("garbage\r\n[s]\r\n");
    file.WriteString("s", "k", "v");
    file.WriteString("t", "k", "w");
    file.WriteString("s", "k", "x");
    const ProfileFile reread(file.Bytes());
    EXPECT_EQ(reread.GetString("s", "k", ""), "x");
    EXPECT_EQ(reread.GetString("t", "k", ""), "w");
}

}  // namespace
}  // namespace pelto
