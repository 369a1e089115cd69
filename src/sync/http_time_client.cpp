#include "sync/http_time_client.h"

#include <cctype>
#include <cstring>
#include <limits>

#include "sync/time_arith.h"

namespace pelto {
namespace {

constexpr char kScheme[] = "http://";
constexpr size_t kSchemeLength = 7;
constexpr char kConnectFailed[] = "http接続ができない";
constexpr char kReadFailed[] = "ファイル読み込みができない";
constexpr char kTooLate[] = "受信タイムアウトエラー";
constexpr char kNoCorrectTime[] = "正しい時間に変換できませんでした。";
constexpr int64_t kMaxRequestMs = 2000;

size_t HostStart(const std::string& url) { return url.find(kScheme) != std::string::npos ? kSchemeLength : 0; }

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Upper case for single-byte letters; both bytes of a code page 932 double-byte character stay
// as they are (a trail byte may look like a lower-case letter).
std::string UpperCp932(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c)) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// atoi semantics in 64 bits: leading white space, an optional sign, digits up to the first
// non-digit; saturates instead of overflowing.
int64_t ReadInteger(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        const int digit = s[i] - '0';
        if (value > (kMax - digit) / 10) {
            value = kMax;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

std::string HttpTimeClient::UrlHost(const std::string& url) {
    const size_t b = HostStart(url);
    if (b > url.size()) return {};
    const size_t p = url.find('/', b);
    return p == std::string::npos ? url.substr(b) : url.substr(b, p - b);
}

std::string HttpTimeClient::UrlPath(const std::string& url) {
    const size_t b = HostStart(url);
    if (b > url.size()) return {};
    const size_t p = url.find('/', b);
    return p == std::string::npos ? std::string() : url.substr(p);
}

std::string HttpTimeClient::HttpGetText(const std::string& url) {
    const std::string host = UrlHost(url);
    if (host.empty()) return {};
    std::string description;
    auto response = http_.Get(host, UrlPath(url), description);
    if (!response) {
        m_error = kConnectFailed;
        messages_.Show(description);
        return {};
    }
    std::string text;
    size_t total = 0;
    char piece[kReadPiece];
    for (;;) {
        size_t got = 0;
        if (!response->Read(piece, sizeof piece, got, description)) {
            m_error = kReadFailed;
            response.reset();  // close everything before the box holds the thread
            messages_.Show(description);
            return {};
        }
        total += got;
        text.append(piece, strnlen(piece, got));  // a piece counts as text up to its first zero byte
        if (got != kReadPiece || total >= kReadThreshold) break;
    }
    return text;
}

bool HttpTimeClient::ParseHttpTime(const std::string& text, SystemTime& t) {
    const std::string upper = UpperCp932(text);
    const size_t a = upper.find("<BODY>");
    const size_t c = upper.find("</BODY>");
    if (a == std::string::npos || c == std::string::npos) return false;
    std::string inner = c >= a + 6 ? upper.substr(a + 6, c - (a + 6)) : std::string();
    size_t first = 0;
    while (first < inner.size() && IsBlank(inner[first])) ++first;
    size_t last = inner.size();
    while (last > first && IsBlank(inner[last - 1])) --last;
    inner = inner.substr(first, last - first);

    // "seconds", one separator, three digits of milliseconds.
    const size_t n = inner.size();
    const std::string secondsPart = inner.substr(0, n > 4 ? n - 4 : 0);
    const std::string msPart = n >= 3 ? inner.substr(n - 3) : inner;
    const int64_t ntpSeconds = ReadInteger(secondsPart);
    if (ntpSeconds < static_cast<int64_t>(kNtpUnixDelta)) return false;  // before 1970 (or no number)
    const int64_t ms = ReadInteger(msPart);
    // A page's milliseconds outside 0-999 (a sign, say) is not a time we can trust to the field.
    if (ms < 0 || ms > 999) return false;

    const int64_t seconds = ntpSeconds - static_cast<int64_t>(kNtpUnixDelta);
    SystemTime local = t;
    SystemTime broken{};
    if (!SecondsToLocal(seconds, broken)) return false;
    local.wYear = broken.wYear;
    local.wMonth = broken.wMonth;
    local.wDay = broken.wDay;
    local.wHour = broken.wHour;
    local.wMinute = broken.wMinute;
    local.wSecond = broken.wSecond;
    local.wMilliseconds = static_cast<uint16_t>(ms);
    t = local;
    m_seconds = seconds;
    return true;
}

bool HttpTimeClient::HttpTimeQuery(const std::string& url, SystemTime& t1, SystemTime& t2, SystemTime& t3,
                                   SystemTime& t4, SystemTime& correct, int32_t& roundTrip) {
    t1 = clock_.Now();
    const std::string text = HttpGetText(url);
    if (text.empty()) return false;
    if (!ParseHttpTime(text, t3)) return false;
    t4 = clock_.Now();
    t2 = t3;
    const int64_t measured = DiffMilliseconds(t4, t1);
    if (measured >= kMaxRequestMs) {
        m_error = kTooLate;
        return false;
    }
    if (!AddMilliseconds(t3, m_seconds, (measured + 1) / 2, correct)) {
        m_error = kNoCorrectTime;
        return false;
    }
    roundTrip = static_cast<int32_t>(measured);
    m_error.clear();
    return true;
}

}  // namespace pelto
