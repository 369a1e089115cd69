// bench_memq (Windows): what Windows itself reports about the memory of running programs.
//   bench_memq NAME.exe   one line per process of that image name:
//                         "pid PEAK_WORKING_SET WORKING_SET PRIVATE_BYTES" (bytes)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_memq NAME.exe\n");
        return 2;
    }
    wchar_t name[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, name, MAX_PATH);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) != 0) continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (!process) continue;
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
            std::printf("%lu %llu %llu %llu\n", entry.th32ProcessID,
                        static_cast<unsigned long long>(counters.PeakWorkingSetSize),
                        static_cast<unsigned long long>(counters.WorkingSetSize),
                        static_cast<unsigned long long>(counters.PrivateUsage));
            ++found;
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found > 0 ? 0 : 1;
}
