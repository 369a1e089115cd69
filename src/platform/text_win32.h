#pragma once
// Conversions at the window-system boundary: the program's texts are code page 932 bytes; the
// system is called through its wide (UTF-16) functions so the clock reads right on any locale.
#include <string>
#include <string_view>

namespace pelto {

inline constexpr unsigned kCodePage = 932;

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view utf16);

}  // namespace pelto
