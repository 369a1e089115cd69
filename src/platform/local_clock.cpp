#include "platform/local_clock.h"

#include <ctime>

namespace pelto {

int64_t LocalClock::Time() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace pelto
