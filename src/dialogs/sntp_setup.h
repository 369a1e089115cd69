#pragma once
// What the network settings dialog does with the clock's values, free of the window system: the
// nine values it carries, the texts of its cycle box, and the copy in before it opens and back
// after OK.
#include <array>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "clock/clock_state.h"

namespace pelto {

// The values of the network settings dialog. The online check and the two HTTP values have no
// control: they pass through unchanged.
struct SntpSetupFields {
    int m_rasCheck = 0;
    int m_fullAuto = 0;
    int m_cycle = 0;  // index of the cycle box: 0 = 30 minutes, k = k hours; -1 when none is selected
    std::string m_ntpServer1;
    std::string m_httpUrl1;
    int m_useHttp = 0;
    std::string m_ntpServer2;
    std::string m_httpUrl2;
    int m_exec = 0;
};

// The cycle box's entries; the index of an entry is the cycle value.
inline constexpr size_t kCycleEntries = 25;
const std::array<std::string_view, kCycleEntries>& CycleTexts();

void CopySetupIn(const Settings& clock, SntpSetupFields& dlg);

// The values of a dialog closed with OK back into the clock. When automatic operation or time
// correction changed, the scheduler goes back to its restart (state 0) at its next step; a new
// cycle or new servers alone leave it where it is. True when it was sent back.
bool CopySetupBack(const SntpSetupFields& dlg, ClockState& clock);

}  // namespace pelto
