#pragma once
// The two server lists of the network settings dialog, free of the window system. Both drop-down
// boxes start from the server history of the settings file; a server the user types goes to the
// top of both; the first box's list is what OK writes back as the history.
//
// Texts are code page 932 bytes. Letter case is ignored the way the boxes ignore it: ASCII letters
// and full-width Latin letters, character by character, so the second byte of a double-byte
// character is never mistaken for a letter.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

// A list holds at most this many entries after the user adds a server.
inline constexpr size_t kServerListLimit = 20;

using ServerList = std::vector<std::string>;

// Removes single-byte white space (blank, tab, line feed, vertical tab, form feed, carriage
// return) from both ends. Double-byte characters such as the ideographic space stay.
void TrimServerText(std::string& text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Index of the entry equal to `text` ignoring case, or -1. The search starts at the second entry,
// runs to the last and then checks the first, as the boxes search.
int FindServerExact(const ServerList& list, std::string_view text);

// Index of the first entry that begins with `text` ignoring case (an empty text matches the first
// entry), or -1. What a box shows for a server: that entry's whole text, else the text itself.
int FindServerPrefix(const ServerList& list, std::string_view text);

// Removes the first entry equal to `text` (searched as FindServerExact does) and puts `text` at
// the top.
void MoveServerToTop(ServerList& list, const std::string& text);

struct ServerLists {
    ServerList first;   // box of the first server; saved as the history on OK
    ServerList second;  // box of the second server

    // Opening: both lists are the history; each server (trimmed in place) that is not empty goes
    // to the top of its own box's list only. No limit applies here.
    static ServerLists Open(const ServerList& history, std::string& server1, std::string& server2);

    // A server the user left a box with (already trimmed, not empty): to the top of both lists,
    // then each list is cut back to kServerListLimit by dropping the entry just past the limit.
    void Remember(const std::string& text);
};

}  // namespace pelto
