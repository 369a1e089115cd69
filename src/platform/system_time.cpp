#include "platform/system_time.h"
// Portable half of the local-time port: nothing yet beyond the declarations; the platform files
// hold the two conversions.
