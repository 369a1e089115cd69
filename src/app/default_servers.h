#pragma once
// The public time sources the clock starts with. One place, so the settings defaults, the server
// history of the network settings dialog and the documentation never disagree.
#include <array>
#include <string_view>

namespace pelto {

// First SNTP server on a fresh install, and the first entry of the server history: the Japanese
// national time standard's public NTP service, open to anyone.
inline constexpr std::string_view kDefaultNtpServer = "ntp.nict.jp";

// The server history offered before the user has typed any server of his own, most preferred
// first. All four answer SNTP requests from anyone.
inline constexpr std::array<std::string_view, 4> kDefaultServerHistory = {
    kDefaultNtpServer,
    "jp.pool.ntp.org",
    "time.google.com",
    "time.cloudflare.com",
};

// The HTTP time page is used only when the user switches to HTTP. No public page is known to
// serve the "<BODY>seconds.milliseconds</BODY>" format the HTTP source reads, so the default is a
// clearly marked example host (the reserved example.com domain) that the user replaces with a
// real page, for instance one of his own.
inline constexpr std::string_view kDefaultHttpTimePage = "time.example.com/cgi-bin/ntp";

}  // namespace pelto
