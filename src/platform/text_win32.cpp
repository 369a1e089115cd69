#include "platform/text_win32.h"

#include <windows.h>

namespace pelto {

std::wstring Widen(std::string_view cp932) {
    if (cp932.empty()) return {};
    const int n = MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(kCodePage, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

}  // namespace pelto
