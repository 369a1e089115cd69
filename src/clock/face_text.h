#pragma once
// The arithmetic of the face, free of the window system: which glyph strings the face shows and
// where the window goes.
#include <array>
#include <string>

#include "app/settings.h"

namespace pelto {

// The face text for a local hour (0..23), minute and second: two glyph strings per field, the
// separator between fields, seconds only when shown; hours modulo 12 without the 24-hour flag.
std::string ComposeFaceText(const Settings& s, int hour, int minute, int second);
std::string ComposeFaceText(const std::array<std::string, 10>& digits, const std::string& separator, int hour24,
                            int showSeconds, int hour, int minute, int second);

// The glyph strings of a plain face ("0" .. "9" and ":"), shown when the configured ones cannot
// fit on the screen even in the fallback face font.
const std::array<std::string, 10>& PlainDigits();
const std::string& PlainSeparator();

// Number of glyph cells the plate is wide, before the extra half cell: 8 with seconds, else 5.
int PlateCells(int showSeconds);
// The plate's width in pixels for a cell width.
int PlateWidth(int showSeconds, int cellWidth);

// Keeps a window's centre on one axis of the screen: flush with the near edge when the centre has
// left it there, centre on the far edge when it has left it there, unchanged otherwise.
int KeepCentreOnScreen(int position, int half, int screenSize);

}  // namespace pelto
