#include "app/profile_file.h"

#include <algorithm>

#include "app/cp932.h"

namespace pelto {
namespace {

// The blanks the platform trims around names and values (^Z included: old DOS editors end files
// with it). Line breaks never get this far: they end the line.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Names come back from the platform as C strings: a NUL ends them.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Case-insensitive for ASCII letters only; both bytes of a double-byte character must match as
// they are, so a trail byte that happens to look like a letter is never folded.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        const size_t n = cp932::CharLength(a, i);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

// What a string read hands back for a stored value or a default: a matching pair of quotes
// removed, then cut to what the caller's buffer holds.
std::string CopyEntry(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v.substr(0, cp932::FitPrefix(v, ProfileFile::kMaxValueBytes)));
}

}  // namespace

ProfileFile::ProfileFile(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") m_bomBytes = 3;
    bool eolSeen = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        size_t next = end;
        if (next < bytes.size())
            next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        Line line;
        line.text = std::string(bytes.substr(start, end - start));
        line.eol = next - end == 2 ? "\r\n" : next == end ? "" : bytes[end] == '\r' ? "\r" : "\n";
        if (!eolSeen && !line.eol.empty()) {
            m_eol = line.eol;
            eolSeen = true;
        }
        Classify(line, m_lines.empty() ? m_bomBytes : 0);
        m_lines.push_back(std::move(line));
        start = next;
    }
}

std::string ProfileFile::Bytes() const {
    size_t size = 0;
    for (const Line& l : m_lines) size += l.text.size() + l.eol.size();
    std::string out;
    out.reserve(size);
    for (const Line& l : m_lines) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

void ProfileFile::Classify(Line& line, size_t skip) {
    const std::string_view all(line.text);
    const std::string_view t = all.substr(std::min(skip, all.size()));
    const std::string_view content = Trim(t);
    const size_t begin = skip + static_cast<size_t>(content.data() - t.data());
    const size_t end = begin + content.size();
    line.kind = Kind::kBlank;
    line.hasValue = false;
    line.nameBegin = line.nameEnd = line.valueBegin = line.valueEnd = 0;
    if (content.empty()) return;

    if (content.front() == '[') {
        // The name runs to the last ']' of the line; a header without one is an ordinary line.
        const size_t close = cp932::FindLast(content.substr(1), ']');
        if (close != std::string_view::npos) {
            const std::string_view name = UpToNul(Trim(content.substr(1, close)));
            line.kind = Kind::kHeader;
            line.nameBegin = static_cast<size_t>(name.data() - all.data());
            line.nameEnd = line.nameBegin + name.size();
            return;
        }
    }

    // '=' is never the second byte of a double-byte character, so a plain search is safe.
    line.kind = Kind::kEntry;
    const size_t eq = content.find('=');
    std::string_view name = content;
    if (eq != std::string_view::npos) {
        name = Trim(content.substr(0, eq));
        const std::string_view value = Trim(content.substr(eq + 1));
        line.hasValue = true;
        line.valueBegin = value.empty() ? begin + eq + 1 : static_cast<size_t>(value.data() - all.data());
        line.valueEnd = value.empty() ? line.valueBegin : line.valueBegin + value.size();
    } else {
        line.valueBegin = line.valueEnd = end;
    }
    name = UpToNul(name);
    line.nameBegin = static_cast<size_t>(name.data() - all.data());
    line.nameEnd = line.nameBegin + name.size();
}

std::string_view ProfileFile::NameOf(const Line& line) {
    return std::string_view(line.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view ProfileFile::RawValue(const Line& line) {
    return std::string_view(line.text).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

ProfileFile::Position ProfileFile::Find(std::string_view section, std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    Position pos;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (pos.header == kNone) {
            if (l.kind == Kind::kHeader && SameName(NameOf(l), section)) pos.header = i;
            continue;
        }
        // Only the first section of that name counts, as with the platform.
        if (l.kind == Kind::kHeader) {
            pos.end = i;
            return pos;
        }
        if (pos.key == kNone && l.kind == Kind::kEntry && SameName(NameOf(l), key)) pos.key = i;
    }
    if (pos.header != kNone) pos.end = m_lines.size();
    return pos;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    if (!Trim(key).empty()) {
        const Position pos = Find(section, key);
        if (pos.key != kNone && m_lines[pos.key].hasValue)
            return CopyEntry(UpToNul(RawValue(m_lines[pos.key])));
    }
    while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
    return CopyEntry(defaultValue);
}

int32_t ProfileFile::GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const {
    const std::string s = GetString(section, key, "");
    if (s.empty()) return defaultValue;
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    uint32_t value = 0;  // wraps like the platform's conversion: "4294967297" reads 1
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(s[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

void ProfileFile::Insert(size_t at, std::string text) {
    Line line;
    line.text = std::move(text);
    line.eol = m_eol;
    Classify(line, at == 0 ? m_bomBytes : 0);
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty()) return;
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    value = value.substr(0, std::min(value.find_first_of(std::string_view("\r\n\0", 3)), value.size()));

    const Position pos = Find(section, key);
    if (pos.key != kNone) {
        Line& l = m_lines[pos.key];
        if (l.hasValue && RawValue(l) == value) return;
        std::string text = l.text.substr(0, l.valueEnd);
        if (l.hasValue)
            text.resize(l.valueBegin);
        else
            text += '=';
        text += value;
        l.text = std::move(text);
        Classify(l, pos.key == 0 ? m_bomBytes : 0);
    } else {
        std::string entry;
        entry.reserve(key.size() + 1 + value.size());
        entry.append(key).append("=").append(value);
        size_t after;
        if (pos.header != kNone) {
            after = pos.end - 1;
            while (after > pos.header && m_lines[after].kind == Kind::kBlank) --after;
        } else {
            std::string header;
            header.append("[").append(section).append("]");
            if (!m_lines.empty() && m_lines.back().eol.empty()) m_lines.back().eol = m_eol;
            Insert(m_lines.size(), std::move(header));
            after = m_lines.size() - 1;
        }
        if (m_lines[after].eol.empty()) m_lines[after].eol = m_eol;
        Insert(after + 1, std::move(entry));
    }
    m_changed = true;
}

std::string ProfileFile::ReadableForm(std::string_view value) {
    const bool quotedLook =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back()) && !quotedLook))
        return std::string(value);
    std::string out;
    out.reserve(value.size() + 2);
    out.append("\"").append(value).append("\"");
    return out;
}

void ProfileFile::WriteInt(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

}  // namespace pelto
