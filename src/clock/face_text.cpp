#include "clock/face_text.h"

namespace pelto {
namespace {

const std::string& Glyph(const Settings& s, int digit) { return s.m_numChar[digit % 10]; }

void AppendField(std::string& text, const Settings& s, int value) {
    text += Glyph(s, value / 10);
    text += Glyph(s, value % 10);
}

}  // namespace

std::string ComposeFaceText(const Settings& s, int hour, int minute, int second) {
    if (!s.m_hour24) hour %= 12;
    std::string text;
    AppendField(text, s, hour);
    text += s.m_colChar;
    AppendField(text, s, minute);
    if (s.m_showSeconds) {
        text += s.m_colChar;
        AppendField(text, s, second);
    }
    return text;
}

int PlateCells(int showSeconds) { return showSeconds ? 8 : 5; }

int PlateWidth(int showSeconds, int cellWidth) { return PlateCells(showSeconds) * cellWidth + cellWidth / 2; }

int KeepCentreOnScreen(int position, int half, int screenSize) {
    // Widened so positions read from a hand-edited file cannot overflow.
    const long long centre = static_cast<long long>(position) + half;
    if (centre < 0) return 0;
    if (centre > screenSize) return screenSize - half;
    return position;
}

}  // namespace pelto
