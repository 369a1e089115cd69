#pragma once
// The texts of the synchronisation status dialog, free of the window system: the four status
// values and the journal, one record per line.
#include <cstdint>
#include <string>

#include "clock/clock_state.h"
#include "sync/sync_log.h"

namespace pelto {

// Elapsed milliseconds as days, hours, minutes, seconds and milliseconds, then the whole count:
// "0   1:02:03.004  ( 3723004 )".
std::string FormatElapsedText(int64_t elapsedMs);

struct StatusTexts {
    std::string m_referenceTimeText;
    std::string m_latestRequestText;
    std::string m_elapsedText;
    std::string m_statusText;
};

// Fills the texts from the clock: online or offline, the elapsed time always, and the reference and
// latest-request times only once a synchronisation has succeeded since the scheduler's restart
// (until then those two keep what they held).
void RefreshStatusTexts(const ClockState& clock, StatusTexts& texts);

// Every record's line, oldest first, separated by CR LF, without a line break at the end.
std::string JournalText(const SyncJournal& journal);

}  // namespace pelto
