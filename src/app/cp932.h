#pragma once
// Byte-level rules of code page 932 (Shift-JIS) that the settings code needs: the second byte of a
// double-byte character may look like '\\', ']' or an ASCII letter, so every search and cut that
// must not tear a character apart walks the text character by character.
#include <cstddef>
#include <string_view>

namespace pelto::cp932 {

constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
constexpr bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes taken by the character that starts at `i` (1 or 2). A lead byte without a valid trail
// byte after it stands alone, so a broken pair never swallows a line break or a delimiter.
inline size_t CharLength(std::string_view s, size_t i) {
    if (i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
        IsTrailByte(static_cast<unsigned char>(s[i + 1])))
        return 2;
    return 1;
}

// Position of the last single-byte `c` that is a character of its own (not the second half of a
// double-byte character); npos when there is none.
size_t FindLast(std::string_view s, char c);

// Longest prefix of `s` of at most `maxBytes` bytes that ends on a character boundary.
size_t FitPrefix(std::string_view s, size_t maxBytes);

}  // namespace pelto::cp932
