#include "rightgrant/format_text.h"

namespace pelto {
namespace {

// Appends to a fixed buffer, always leaving room for the terminator; remembers an overflow.
class CBoundedWriter {
public:
    explicit CBoundedWriter(char16_t (&dest)[kMessageCapacity]) : m_dest(dest) {}
    ~CBoundedWriter() { m_dest[m_length] = u'\0'; }

    void Put(char16_t c) {
        if (m_length + 1 < kMessageCapacity) {
            m_dest[m_length++] = c;
        } else {
            m_overflow = true;
        }
    }
    void PutDecimal(std::uint32_t value) {
        char16_t digits[10];
        int n = 0;
        do {
            digits[n++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0) Put(digits[--n]);
    }
    bool Overflowed() const { return m_overflow; }
    int Length() const { return static_cast<int>(m_length); }

private:
    char16_t (&m_dest)[kMessageCapacity];
    std::size_t m_length = 0;
    bool m_overflow = false;
};

}  // namespace

int FormatTextValues(char16_t (&dest)[kMessageCapacity], const char16_t* format, const std::uint32_t* values,
                     std::size_t count) {
    CBoundedWriter out(dest);
    if (format == nullptr) return -1;
    std::size_t next = 0;
    for (const char16_t* p = format; *p != u'\0'; ++p) {
        if (*p != u'%') {
            out.Put(*p);
        } else if (p[1] == u'%') {
            out.Put(u'%');
            ++p;
        } else if (p[1] == u'l' && p[2] == u'u') {
            if (next == count) return -1;
            out.PutDecimal(values[next++]);
            p += 2;
        } else {
            return -1;
        }
        if (out.Overflowed()) return -1;
    }
    return out.Length();
}

}  // namespace pelto
