// The portable LogFontA is the system's LOGFONTA byte for byte, so fonts cross the boundary by copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/log_font.h"

namespace pelto {
namespace {

static_assert(sizeof(LogFontA) == sizeof(LOGFONTA));
static_assert(offsetof(LogFontA, lfWeight) == offsetof(LOGFONTA, lfWeight));
static_assert(offsetof(LogFontA, lfItalic) == offsetof(LOGFONTA, lfItalic));
static_assert(offsetof(LogFontA, lfPitchAndFamily) == offsetof(LOGFONTA, lfPitchAndFamily));
static_assert(offsetof(LogFontA, lfFaceName) == offsetof(LOGFONTA, lfFaceName));
static_assert(kLfFaceSize == LF_FACESIZE);
static_assert(std::is_trivially_copyable_v<LogFontA>);

TEST(LogFontLayout, CopiesToAndFromTheSystemRecord) {
    LOGFONTA system{};
    system.lfHeight = -24;
    system.lfCharSet = SHIFTJIS_CHARSET;
    system.lfPitchAndFamily = FF_MODERN | FIXED_PITCH;
    std::strcpy(system.lfFaceName, "Arial");
    const LogFontA ours = std::bit_cast<LogFontA>(system);
    EXPECT_EQ(ours.lfHeight, -24);
    EXPECT_EQ(ours.lfCharSet, 128);
    EXPECT_EQ(ours.lfPitchAndFamily, FF_MODERN | FIXED_PITCH);
    EXPECT_STREQ(ours.lfFaceName, "Arial");
}

}  // namespace
}  // namespace pelto
