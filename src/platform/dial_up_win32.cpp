// The dial-up phonebook and connections through rasapi32. The record sizes are those of this
// build's own RASENTRYNAMEA and RASCONNA, the sizes the system accepts from a program of its
// bitness (a 64-bit program that passed the 32-bit RASCONNA size would be refused every time).
#include <windows.h>
#include <ras.h>

#include <vector>

#include "platform/dial_up.h"

namespace pelto {
namespace {

class Win32DialUp final : public DialUpPort {
public:
    uint32_t EnumEntries(uint32_t& count) override {
        RASENTRYNAMEA entry{};
        entry.dwSize = sizeof entry;
        DWORD bytes = sizeof entry;
        DWORD entries = 0;
        const DWORD rc = RasEnumEntriesA(nullptr, nullptr, &entry, &bytes, &entries);
        count = entries;
        return rc;
    }

    uint32_t EnumConnections(uint32_t capacity, uint32_t& count) override {
        count = 0;
        if (capacity == 0) return kRasBufferTooSmall;
        std::vector<RASCONNA> connections(capacity);
        connections[0].dwSize = sizeof(RASCONNA);
        DWORD bytes = static_cast<DWORD>(capacity * sizeof(RASCONNA));
        DWORD found = 0;
        const DWORD rc = RasEnumConnectionsA(connections.data(), &bytes, &found);
        count = found;
        return rc;
    }
};

}  // namespace

DialUpPort& SystemDialUpPort() {
    static Win32DialUp dialUp;
    return dialUp;
}

}  // namespace pelto
