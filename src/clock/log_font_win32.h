#pragma once
// The settings' LogFontA (face name in code page 932) and the system's LOGFONTW, both ways.
#include <windows.h>

#include <cwchar>
#include <string_view>

#include "app/settings.h"
#include "platform/text_win32.h"

namespace pelto {

// Every field but the face name has the same name and meaning in both records.
template <typename From, typename To>
void CopyFontMetrics(const From& from, To& to) {
    to.lfHeight = from.lfHeight;
    to.lfWidth = from.lfWidth;
    to.lfEscapement = from.lfEscapement;
    to.lfOrientation = from.lfOrientation;
    to.lfWeight = from.lfWeight;
    to.lfItalic = from.lfItalic;
    to.lfUnderline = from.lfUnderline;
    to.lfStrikeOut = from.lfStrikeOut;
    to.lfCharSet = from.lfCharSet;
    to.lfOutPrecision = from.lfOutPrecision;
    to.lfClipPrecision = from.lfClipPrecision;
    to.lfQuality = from.lfQuality;
    to.lfPitchAndFamily = from.lfPitchAndFamily;
}

inline LOGFONTW ToLogFontW(const LogFontA& f) {
    LOGFONTW lf{};
    CopyFontMetrics(f, lf);
    const std::wstring face = Widen(FaceName(f));
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return lf;
}

// The face name shortened to what the settings keep, never inside a double-byte character.
inline LogFontA ToLogFontA(const LOGFONTW& lf) {
    LogFontA f{};
    CopyFontMetrics(lf, f);
    SetFaceName(f, Narrow(std::wstring_view(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE))));
    return f;
}

}  // namespace pelto
