#pragma once
// The Windows LOGFONTA record, field for field (LONG is 32 bits on Windows), so the Win32 side can
// copy it to and from the system's structure while the portable core never sees <windows.h>.
#include <cstdint>

namespace pelto {

inline constexpr int kLfFaceSize = 32;  // LF_FACESIZE: face name bytes including the terminating zero

struct LogFontA {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[kLfFaceSize] = {};

    friend bool operator==(const LogFontA&, const LogFontA&) = default;
};

static_assert(sizeof(LogFontA) == 60, "LogFontA must keep the layout of LOGFONTA");

}  // namespace pelto
