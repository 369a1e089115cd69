// The shipped program keeps the PC's own clock: GetLocalTime and SetLocalTime.
#include "app/peltoclock_app.h"

namespace pelto {

LocalClock& ProgramClockPort() { return SystemLocalClock(); }

}  // namespace pelto
