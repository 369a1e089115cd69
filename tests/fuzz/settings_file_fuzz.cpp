// The settings file as anyone may have left it. Whatever the bytes, reading them must not fail,
// the file must come out byte for byte as it went in while nothing is written, and after a load,
// changes a user can make and a save, the saved file read afresh must give exactly the settings
// that were saved; a second save of the same settings must change nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "app/profile_file.h"
#include "app/settings.h"
#include "fuzz_check.h"

namespace pelto {
namespace {

// A text a user can give a string setting: no line break and no NUL (an edit box or a font name
// holds neither), at most a few hundred bytes.
std::string UserText(FuzzedDataProvider& in) {
    std::string s = in.ConsumeRandomLengthString(64);
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\0') c = '_';
    return s;
}

void Change(Settings& s, FuzzedDataProvider& in) {
    const int changes = in.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < changes && in.remaining_bytes() > 0; ++i) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0:
                s.m_numChar[in.ConsumeIntegralInRange<size_t>(0, 9)] = UserText(in);
                break;
            case 1:
                s.m_colChar = UserText(in);
                break;
            case 2:
                s.m_ntpServer1 = UserText(in);
                break;
            case 3:
                s.m_httpUrl2 = UserText(in);
                break;
            case 4:
                SetFaceName(s.m_logFont[in.ConsumeIntegralInRange(0, 1)], UserText(in));
                break;
            case 5:
                s.m_logFont[in.ConsumeIntegralInRange(0, 1)].lfHeight = in.ConsumeIntegral<int32_t>();
                break;
            case 6:
                s.m_logFont[in.ConsumeIntegralInRange(0, 1)].lfItalic = in.ConsumeIntegral<uint8_t>();
                break;
            case 7:
                s.m_fontSet = in.ConsumeIntegral<int>();
                break;
            case 8:
                s.m_windowX = in.ConsumeIntegral<int>();
                s.m_windowY = in.ConsumeIntegral<int>();
                break;
            case 9:
                s.m_onlineColor = in.ConsumeIntegral<uint32_t>();
                break;
        }
    }
}

}  // namespace
}  // namespace pelto

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pelto::fuzz::UseTestZone();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pelto;
    // The whole input is the file, so every seed is a plain settings file; the user's changes
    // are drawn from the same bytes.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider edits(data, size);

    ProfileFile file(bytes);
    FUZZ_CHECK(file.Bytes() == bytes);

    Settings loaded;
    LoadSettings(loaded, file);
    Settings changed = loaded;
    Change(changed, edits);

    SaveSettings(changed, file);
    const std::string saved = file.Bytes();
    ProfileFile reread(saved);
    FUZZ_CHECK(reread.Bytes() == saved);
    Settings back;
    LoadSettings(back, reread);
    FUZZ_CHECK(back == changed);

    SaveSettings(back, reread);
    FUZZ_CHECK(!reread.Changed());
    FUZZ_CHECK(reread.Bytes() == saved);
    return 0;
}
