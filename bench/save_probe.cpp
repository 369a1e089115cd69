// bench_save (Windows): the cost of saving every setting, our way against the profile API's way.
//   bench_save ours PATH N FRESH      N saves through SaveSettingsFile (one atomic replace each)
//   bench_save profile PATH N FRESH   N saves as one WritePrivateProfileStringA call per key
// Both write the same keys with the same values, in the same order. FRESH=1 deletes the file
// before each save (the first save, every key new); FRESH=0 keeps it and moves the window
// position by one pixel per save, as a drag does. One line per save: "save MICROSECONDS".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/profile_file.h"
#include "app/profile_store.h"
#include "app/settings.h"
#include "platform/file_system.h"

namespace {

struct Entry {
    std::string section, key, value;
};

// The keys SaveSettings writes, with their values, read back from the text it produces.
std::vector<Entry> Entries(const pelto::Settings& settings) {
    pelto::ProfileFile file;
    pelto::SaveSettings(settings, file);
    std::vector<Entry> entries;
    std::string section;
    const std::string bytes = file.Bytes();
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = end + 1;
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
        } else if (const size_t eq = line.find('='); eq != std::string::npos) {
            entries.push_back({section, line.substr(0, eq), line.substr(eq + 1)});
        }
    }
    return entries;
}

double NowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_save ours|profile PATH N FRESH\n");
        return 2;
    }
    const bool ours = std::strcmp(argv[1], "ours") == 0;
    const std::string path = argv[2];
    const int count = std::atoi(argv[3]);
    const bool fresh = std::atoi(argv[4]) != 0;

    pelto::Settings settings;
    pelto::LoadSettings(settings, pelto::ProfileFile{});  // every default
    settings.m_windowX = 100;
    settings.m_windowY = 100;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (fresh) {
            DeleteFileA(path.c_str());
        } else {
            ++settings.m_windowX;
            ++settings.m_windowY;
        }
        const std::vector<Entry> entries = ours ? std::vector<Entry>{} : Entries(settings);
        const double start = NowMicroseconds();
        if (ours) {
            if (!pelto::SaveSettingsFile(settings, pelto::NativeFileSystem(), path)) ++failures;
        } else {
            for (const Entry& e : entries) {
                if (!WritePrivateProfileStringA(e.section.c_str(), e.key.c_str(), e.value.c_str(),
                                                path.c_str()))
                    ++failures;
            }
        }
        std::printf("save %.1f\n", NowMicroseconds() - start);
    }
    if (!ours) std::printf("keys %zu\n", Entries(settings).size());
    std::printf("failures %d\n", failures);
    return failures == 0 ? 0 : 1;
}
