// The server history in any settings file: a load, the dialog's save and a reload give the same
// list; saving the settings never touches the history, and saving the history never changes a
// setting.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "app/profile_file.h"
#include "app/server_history.h"
#include "app/settings.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pelto;
    // The whole input is the file, so every seed is a plain settings file; the user's changes
    // are drawn from the same bytes.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider edits(data, size);

    ProfileFile file(bytes);
    const std::vector<std::string> history = LoadServerHistory(file);
    FUZZ_CHECK(history.size() >= 4 && history.size() <= static_cast<size_t>(kMaxHistoryEntries));

    // The clock's own save leaves the history (and the dialog's view of CYCLE) alone.
    Settings settings;
    LoadSettings(settings, file);
    SaveSettings(settings, file);
    FUZZ_CHECK(LoadServerHistory(file) == history);
    FUZZ_CHECK(LoadDialogCycle(file) == settings.m_cycle);

    // The list the dialog writes back: what it read, with servers the user typed put in front
    // (the dialog keeps up to 20 entries and never fewer than it was given).
    std::vector<std::string> list = history;
    const int typed = edits.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < typed; ++i) {
        std::string s = edits.ConsumeRandomLengthString(40);
        for (char& c : s)
            if (c == '\r' || c == '\n' || c == '\0') c = '_';
        list.insert(list.begin(), s);
    }
    if (list.size() > 20 && edits.ConsumeBool()) list.resize(20);
    if (list.size() > static_cast<size_t>(kMaxHistoryEntries)) list.resize(kMaxHistoryEntries);

    SaveServerHistory(list, file);
    const ProfileFile reread(file.Bytes());
    FUZZ_CHECK(LoadServerHistory(reread) == list);
    Settings after;
    LoadSettings(after, reread);
    FUZZ_CHECK(after == settings);
    return 0;
}
