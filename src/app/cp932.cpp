#include "app/cp932.h"

namespace pelto::cp932 {

size_t FindLast(std::string_view s, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i))
        if (s[i] == c) found = i;
    return found;
}

size_t FitPrefix(std::string_view s, size_t maxBytes) {
    size_t end = 0;
    while (end < s.size()) {
        const size_t next = end + CharLength(s, end);
        if (next > maxBytes) break;
        end = next;
    }
    return end;
}

}  // namespace pelto::cp932
