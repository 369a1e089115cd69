#pragma once
// The dial-up (RAS) phonebook and its active connections, read the way the online check needs
// them: the system's result code of each enumeration plus the count it reports.
#include <cstdint>

namespace pelto {

// The result of an enumeration whose buffer was too small for every entry (ERROR_BUFFER_TOO_SMALL).
inline constexpr uint32_t kRasBufferTooSmall = 603;

class DialUpPort {
public:
    virtual ~DialUpPort() = default;
    // Enumerates the phonebook entries into room for one entry. `count` is the number of entries
    // the system reports (all of them, also when the result is kRasBufferTooSmall).
    virtual uint32_t EnumEntries(uint32_t& count) = 0;
    // Enumerates the active connections into room for `capacity` of them.
    virtual uint32_t EnumConnections(uint32_t capacity, uint32_t& count) = 0;
};

#ifdef _WIN32
DialUpPort& SystemDialUpPort();
#endif

}  // namespace pelto
