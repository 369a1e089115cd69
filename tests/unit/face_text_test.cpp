#include <gtest/gtest.h>

#include "clock/face_text.h"

namespace pelto {
namespace {

Settings Digits() {
    Settings s;
    for (int i = 0; i < 10; ++i) s.m_numChar[i] = std::to_string(i);
    s.m_colChar = ":";
    s.m_hour24 = 1;
    return s;
}

TEST(FaceText, ComposesTwoGlyphsPerFieldInBothHourModes) {
    const struct {
        int hour24, seconds, h, m, sec;
        const char* text;
    } cases[] = {
        {0, 0, 12, 5, 0, "00:05"},      // noon shows as 00 without the 24-hour flag
        {0, 0, 23, 59, 0, "11:59"},
        {0, 0, 0, 0, 0, "00:00"},
        {1, 0, 0, 0, 0, "00:00"},
        {1, 0, 9, 41, 7, "09:41"},
        {1, 1, 9, 41, 7, "09:41:07"},
        {1, 1, 23, 0, 59, "23:00:59"},
    };
    for (const auto& c : cases) {
        Settings s = Digits();
        s.m_hour24 = c.hour24;
        s.m_showSeconds = c.seconds;
        EXPECT_EQ(ComposeFaceText(s, c.h, c.m, c.sec), c.text) << c.h << ":" << c.m;
    }
}

TEST(FaceText, UsesGlyphStringsVerbatim) {
    Settings s = Digits();
    s.m_numChar[1] = "一";
    s.m_numChar[2] = "ニ二";
    s.m_numChar[0] = "";
    s.m_colChar = "時";
    s.m_showSeconds = 1;
    EXPECT_EQ(ComposeFaceText(s, 12, 1, 20), "一ニ二時一時ニ二");
}

TEST(FaceText, PlateIsFiveOrEightCellsAndAHalf) {
    EXPECT_EQ(PlateWidth(0, 30), 165);
    EXPECT_EQ(PlateWidth(1, 30), 255);
    EXPECT_EQ(PlateWidth(1, 31), 8 * 31 + 15);
}

TEST(FaceText, KeepsTheWindowCentreOnTheScreen) {
    const struct {
        int position, half, screen, expected;
    } cases[] = {
        {-110, 100, 1280, 0},            // centre 10 px left of the screen: flush with the left edge
        {1280 - 100 + 10, 100, 1280, 1180},  // centre 10 px beyond the right edge: centre on the edge
        {-100, 100, 1280, -100},         // centre exactly on the left edge stays
        {1180, 100, 1280, 1180},         // centre exactly on the right edge stays
        {-50, 100, 1280, -50},           // partly off screen but centre on it: left alone
        {2147483000, 1000, 1280, 280},   // hand-edited huge value does not overflow
        {-2147483000, 1000, 1280, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepCentreOnScreen(c.position, c.half, c.screen), c.expected) << c.position;
}

}  // namespace
}  // namespace pelto
