#pragma once
// A Windows profile (INI) file held in memory and edited the way the system's profile functions
// edit it: reads follow GetPrivateProfileStringA / GetPrivateProfileIntA, writes follow
// WritePrivateProfileStringA and change only the line of the key they write (or add one line, or
// one section at the end). Every other byte of the file, including odd line breaks, NUL bytes,
// comments and lines this reader does not understand, comes out exactly as it went in.
//
// Text is code page 932 bytes, never re-encoded. Names are compared without regard to the case of
// ASCII letters; double-byte characters are compared as they are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class ProfileFile {
public:
    // The longest value a string read returns, in bytes: what the platform's profile read hands
    // back through the application framework's 4096-character buffer. A longer value is cut on a
    // character boundary.
    static constexpr size_t kMaxValueBytes = 4095;

    ProfileFile() = default;  // an empty file (the file does not exist yet)
    explicit ProfileFile(std::string_view bytes);

    // The whole file as it would be written.
    std::string Bytes() const;
    // True once a write has changed the file since it was constructed.
    bool Changed() const { return m_changed; }

    // The value of `key` in `section`: blanks around it dropped, a matching pair of double or
    // single quotes around it removed. `defaultValue` (trailing blanks dropped, quotes removed
    // likewise) when the section or key is absent or the key's line has no '='. A key present with
    // an empty value reads as "".
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;

    // The decimal number at the start of the string value (optional sign; digits wrap around at
    // 32 bits like the platform's), 0 when the value does not start with one, `defaultValue` when
    // the key is absent or its value is empty.
    int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

    // Sets `key` in `section` to `value`: replaces the value of the first such key in place, or
    // adds "key=value" after the last non-blank line of the section, or adds the section with the
    // key at the end of the file. Leading blanks of `value` are dropped (a read would drop them
    // anyway) and it is cut at the first line break or NUL, so a value can never add lines.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, int32_t value);

    // The text to write so that a string read gives back exactly `value`: `value` itself, or
    // `value` in double quotes when a read would otherwise drop its blanks at either end or a pair
    // of quotes around it. Any reader of the format reads the quoted form as `value`.
    static std::string ReadableForm(std::string_view value);

private:
    enum class Kind { kBlank, kHeader, kEntry };
    struct Line {
        std::string text;  // without its line break
        std::string eol;   // "\r\n", "\n", "\r", or "" for a last line without a break
        Kind kind = Kind::kBlank;
        size_t nameBegin = 0, nameEnd = 0;    // section name (header) or key name (entry)
        bool hasValue = false;                // entry with an '='
        size_t valueBegin = 0, valueEnd = 0;  // the value, blanks around it dropped
    };
    struct Position {
        size_t header = kNone;  // line of the section's header
        size_t end = kNone;     // first line after the section
        size_t key = kNone;     // line of the key
    };
    static constexpr size_t kNone = static_cast<size_t>(-1);

    static void Classify(Line& line, size_t skip);
    Position Find(std::string_view section, std::string_view key) const;
    static std::string_view NameOf(const Line& line);
    static std::string_view RawValue(const Line& line);
    void Insert(size_t at, std::string text);

    std::vector<Line> m_lines;
    std::string m_eol = "\r\n";  // line break for new lines: the file's first, else CR LF
    size_t m_bomBytes = 0;       // a UTF-8 byte-order mark before the first line is not text
    bool m_changed = false;
};

}  // namespace pelto
