// The profile reader and writer on any file: the bytes come out exactly as they went in until
// something is written; after any sequence of writes every key reads back the value last written
// to it (also from the file written out and read afresh), and ints read back as themselves.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <string>
#include <utility>

#include "app/profile_file.h"
#include "fuzz_check.h"

namespace pelto {
namespace {

// Section and key names as a program writes them: ASCII letters, digits and a few marks, or a
// double-byte character whose second byte looks like ']' or '\' or a letter.
std::string Name(FuzzedDataProvider& in) {
    static const char* const kPieces[] = {"A",        "b",   "Z",   "0",          "9",        "_",
                                          "-",        ".",   " ",   "\x83\x5D",   "\x83\x5C", "\x82\x61",
                                          "\x95\x5C", "NTP", "ntp", "PELTOCLOCK", "X;"};
    std::string name;
    const int n = in.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < n; ++i) name += kPieces[in.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)];
    // Blanks around a name are not part of it; a name of blanks only is no name.
    const size_t b = name.find_first_not_of(' ');
    if (b == std::string::npos) return "K";
    return name.substr(b, name.find_last_not_of(' ') - b + 1);
}

// Any value a setting can hold: no line break and no NUL.
std::string Value(FuzzedDataProvider& in) {
    std::string v = in.ConsumeRandomLengthString(80);
    for (char& c : v)
        if (c == '\r' || c == '\n' || c == '\0') c = '#';
    return v;
}

std::string Fold(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            ++i;  // the second byte of a double-byte character is never folded
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

}  // namespace
}  // namespace pelto

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pelto;
    // Read whole, the input is any file: it must come back unchanged.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    ProfileFile untouched(raw);
    FUZZ_CHECK(untouched.Bytes() == raw);
    FUZZ_CHECK(!untouched.Changed());

    // Then the same bytes as a script: a starting file, then writes and reads.
    FuzzedDataProvider in(data, size);
    ProfileFile file(in.ConsumeRandomLengthString(1000));
    std::map<std::pair<std::string, std::string>, std::string> written;
    const int ops = in.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < ops; ++i) {
        const std::string section = Name(in);
        const std::string key = Name(in);
        const auto id = std::make_pair(Fold(section), Fold(key));
        if (in.ConsumeBool()) {
            const int32_t n = in.ConsumeIntegral<int32_t>();
            file.WriteInt(section, key, n);
            FUZZ_CHECK(file.GetInt(section, key, n == 7 ? 8 : 7) == n);
            written[id] = std::to_string(n);
        } else {
            const std::string v = Value(in);
            file.WriteString(section, key, ProfileFile::ReadableForm(v));
            FUZZ_CHECK(file.GetString(section, key, "\x01") == v);
            written[id] = v;
        }
    }
    const ProfileFile reread(file.Bytes());
    FUZZ_CHECK(reread.Bytes() == file.Bytes());
    for (const auto& [id, v] : written) {
        FUZZ_CHECK(file.GetString(id.first, id.second, "\x01") == v);
        FUZZ_CHECK(reread.GetString(id.first, id.second, "\x01") == v);
    }
    return 0;
}
