// The bounded formatting of PeltoRight's messages.
#include <gtest/gtest.h>

#include <string>

#include "rightgrant/format_text.h"

namespace {

using pelto::FormatText;
using pelto::kMessageCapacity;

TEST(FormatText, CodesAreUnsigned32BitDecimals) {
    const struct {
        std::uint32_t code;
        std::u16string text;
    } cases[] = {
        {0, u"コード: 0。"},
        {5, u"コード: 5。"},
        {1314, u"コード: 1314。"},
        {2147483648u, u"コード: 2147483648。"},
        {4294967295u, u"コード: 4294967295。"},
    };
    for (const auto& c : cases) {
        char16_t out[kMessageCapacity];
        EXPECT_EQ(FormatText(out, u"コード: %lu。", c.code), static_cast<int>(c.text.size()));
        EXPECT_EQ(std::u16string(out), c.text);
    }
}

TEST(FormatText, PercentSignsAndSeveralCodes) {
    char16_t out[kMessageCapacity];
    EXPECT_EQ(FormatText(out, u"%lu%%, %lu", std::uint32_t{100}, std::uint32_t{7}), 7);
    EXPECT_EQ(std::u16string(out), u"100%, 7");
    EXPECT_EQ(FormatText(out, u""), 0);
    EXPECT_EQ(out[0], u'\0');
}

TEST(FormatText, MalformedFormatsFailWithATerminatedBuffer) {
    const char16_t* const formats[] = {u"ab%d", u"ab%lu %lu", u"ab%", u"ab%l"};
    for (const char16_t* format : formats) {
        char16_t out[kMessageCapacity];
        std::fill(std::begin(out), std::end(out), u'x');
        EXPECT_EQ(FormatText(out, format, std::uint32_t{1}), -1) << std::u16string(format).size();
        EXPECT_EQ(std::u16string(out).substr(0, 2), u"ab");
        EXPECT_LT(std::u16string(out).size(), kMessageCapacity);
    }
}

TEST(FormatText, HoldsAtMost255CharactersAndATerminator) {
    char16_t out[kMessageCapacity];
    const std::u16string fits(kMessageCapacity - 1 - 10, u'あ');
    EXPECT_EQ(FormatText(out, (fits + u"%lu").c_str(), std::uint32_t{4294967295u}), 255);
    EXPECT_EQ(std::u16string(out), fits + u"4294967295");

    // One digit too many: cut to fit, terminated in the last slot, reported as a failure.
    const std::u16string over(kMessageCapacity - 1 - 9, u'あ');
    EXPECT_EQ(FormatText(out, (over + u"%lu").c_str(), std::uint32_t{4294967295u}), -1);
    EXPECT_EQ(std::u16string(out), over + u"429496729");
    EXPECT_EQ(out[kMessageCapacity - 1], u'\0');
}

}  // namespace
