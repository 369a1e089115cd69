#pragma once
// The one way this program sets the clock, shared by the synchronisation and the drift
// correction: never to a time before the program was built, and a second time when the change
// crosses a daylight-saving boundary (the system converts the new local time with the rules of
// the moment before the change, so only the second call lands on the right UTC time).
#include <cstdint>

#include "platform/local_clock.h"
#include "platform/system_time.h"

namespace pelto {

// Midnight starting the day before this program was built. A source whose time lies before it is
// broken or forged. The day before, so a build made just after midnight UTC is not in the future
// for a zone that is still on the previous day.
SystemTime BuildDateFloor();

// a earlier than b, comparing the calendar fields from the year down to the milliseconds.
bool IsEarlier(const SystemTime& a, const SystemTime& b);

// The zone's offset from UTC in seconds at local time t, as the local-time port decides it.
bool UtcOffsetAt(const SystemTime& t, int64_t& offsetSeconds);

enum class SetClockResult { kSet, kBeforeFloor, kFailed };

// kFailed carries the system's error code in `error`.
SetClockResult SetLocalClock(LocalClock& clock, const SystemTime& t, const SystemTime& floor,
                             uint32_t& error);

}  // namespace pelto
