#include "dialogs/server_list.h"

#include "app/cp932.h"

namespace pelto {
namespace {

bool IsServerBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One character of `s` at `i`, folded to lower case: an ASCII letter or a full-width Latin
// capital (0x8260..0x8279, whose small letter is 0x21 further on) becomes its small letter.
unsigned FoldedChar(std::string_view s, size_t i, size_t len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (len == 1) return (b0 >= 'A' && b0 <= 'Z') ? b0 + ('a' - 'A') : b0;
    auto b1 = static_cast<unsigned char>(s[i + 1]);
    if (b0 == 0x82 && b1 >= 0x60 && b1 <= 0x79) b1 = static_cast<unsigned char>(b1 + 0x21);
    return (static_cast<unsigned>(b0) << 8) | b1;
}

// Compares `prefix` with the start of `text`; true when all of `prefix` matched and, for
// `whole`, nothing of `text` is left over.
bool MatchIgnoringCase(std::string_view text, std::string_view prefix, bool whole) {
    size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size()) return false;
        const size_t li = cp932::CharLength(text, i);
        const size_t lj = cp932::CharLength(prefix, j);
        if (li != lj || FoldedChar(text, i, li) != FoldedChar(prefix, j, lj)) return false;
        i += li;
        j += lj;
    }
    return !whole || i == text.size();
}

}  // namespace

void TrimServerText(std::string& text) {
    // A second byte of a double-byte character is never below 0x40, so the bytes at the ends can
    // be looked at one by one.
    size_t end = text.size();
    while (end > 0 && IsServerBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    size_t begin = 0;
    while (begin < end && IsServerBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    text = text.substr(begin, end - begin);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return MatchIgnoringCase(a, b, true); }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return MatchIgnoringCase(text, prefix, false);
}

int FindServerExact(const ServerList& list, std::string_view text) {
    for (size_t i = 1; i < list.size(); ++i)
        if (EqualsIgnoringCase(list[i], text)) return static_cast<int>(i);
    if (!list.empty() && EqualsIgnoringCase(list[0], text)) return 0;
    return -1;
}

int FindServerPrefix(const ServerList& list, std::string_view text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (StartsWithIgnoringCase(list[i], text)) return static_cast<int>(i);
    return -1;
}

void MoveServerToTop(ServerList& list, const std::string& text) {
    const int found = FindServerExact(list, text);
    if (found >= 0) list.erase(list.begin() + found);
    list.insert(list.begin(), text);
}

ServerLists ServerLists::Open(const ServerList& history, std::string& server1, std::string& server2) {
    ServerLists lists{history, history};
    TrimServerText(server1);
    if (!server1.empty()) MoveServerToTop(lists.first, server1);
    TrimServerText(server2);
    if (!server2.empty()) MoveServerToTop(lists.second, server2);
    return lists;
}

void ServerLists::Remember(const std::string& text) {
    for (ServerList* list : {&first, &second}) {
        MoveServerToTop(*list, text);
        if (list->size() > kServerListLimit) list->erase(list->begin() + kServerListLimit);
    }
}

}  // namespace pelto
