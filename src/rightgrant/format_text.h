#pragma once
// Bounded formatting of PeltoRight's messages into their fixed buffer.
#include <concepts>
#include <cstddef>
#include <cstdint>

namespace pelto {

inline constexpr std::size_t kMessageCapacity = 256;  // UTF-16 units, terminator included

// Formats `format` into `dest`, each "%lu" taking the next argument as an unsigned 32-bit decimal
// number and "%%" giving one '%'. Returns the number of characters written (terminator not
// counted), or -1 when formatting fails: an unknown conversion, too few arguments, or a result
// longer than the buffer. `dest` is terminated whatever happens; on overflow it holds the text
// cut to fit, otherwise on failure the text up to the point where formatting stopped.
int FormatTextValues(char16_t (&dest)[kMessageCapacity], const char16_t* format, const std::uint32_t* values,
                     std::size_t count);

// The arguments are 32-bit codes and nothing else: the width of the number a "%lu" reads is fixed
// by the type, not by the platform's long.
template <typename... Codes>
requires(std::same_as<Codes, std::uint32_t>&&...) int FormatText(char16_t (&dest)[kMessageCapacity],
                                                                 const char16_t* format, Codes... codes) {
    const std::uint32_t values[sizeof...(Codes) + 1] = {codes..., 0};
    return FormatTextValues(dest, format, values, sizeof...(Codes));
}

}  // namespace pelto
