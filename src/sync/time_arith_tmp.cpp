// TEMPORARY until the time arithmetic lands.
#include <cstdio>
#include "sync/time_arith.h"
namespace pelto {
std::string FormatDateTime(const SystemTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " %4u/%2u/%2u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}
}  // namespace pelto
