#include "clock/face_text.h"

namespace pelto {
namespace {

void AppendField(std::string& text, const std::array<std::string, 10>& digits, int value) {
    text += digits[(value / 10) % 10];
    text += digits[value % 10];
}

}  // namespace

std::string ComposeFaceText(const std::array<std::string, 10>& digits, const std::string& separator, int hour24,
                            int showSeconds, int hour, int minute, int second) {
    if (!hour24) hour %= 12;
    std::string text;
    AppendField(text, digits, hour);
    text += separator;
    AppendField(text, digits, minute);
    if (showSeconds) {
        text += separator;
        AppendField(text, digits, second);
    }
    return text;
}

std::string ComposeFaceText(const Settings& s, int hour, int minute, int second) {
    return ComposeFaceText(s.m_numChar, s.m_colChar, s.m_hour24, s.m_showSeconds, hour, minute, second);
}

const std::array<std::string, 10>& PlainDigits() {
    static const std::array<std::string, 10> digits{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    return digits;
}

const std::string& PlainSeparator() {
    static const std::string separator = ":";
    return separator;
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
