#include <gtest/gtest.h>

#include <string>

namespace {

// The compiler turns the UTF-8 sources' literals into Shift-JIS (code page 932) bytes; these are
// the bytes Windows' code page 932 has for them.
TEST(CodePage, LiteralsAreCodePage932Bytes) {
    const struct {
        std::string literal;
        std::string bytes;
    } cases[] = {
        {"時計", "\x8E\x9E\x8C\x76"},
        {"　", "\x81\x40"},
        {"ＭＳ Ｐゴシック", "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"},
        {"ｿｹｯﾄ", "\xBF\xB9\xAF\xC4"},
        {"～－", "\x81\x60\x81\x7C"},
        {"Ｔ３", "\x82\x73\x82\x52"},
        {"\\", "\x5C"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.literal, c.bytes) << c.bytes;
}

}  // namespace
