#include "dialogs/status_text.h"

#include <cinttypes>
#include <cstdio>

#include "sync/time_arith.h"

namespace pelto {

std::string FormatElapsedText(int64_t e) {
    const int64_t days = e / 86400000;
    const int64_t hours = e / 3600000 - days * 24;
    const int64_t minutes = e / 60000 - (e / 3600000) * 60;
    const int64_t seconds = e / 1000 - (e / 60000) * 60;
    const int64_t millis = e % 1000;
    // The day count is printed whole: an elapsed time beyond 68 years would not fit 32 bits.
    char buf[128];
    std::snprintf(buf, sizeof buf, "%" PRId64 "  %2d:%02d:%02d.%03d  ( %" PRId64 " )", days,
                  static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(seconds),
                  static_cast<int>(millis), e);
    return buf;
}

void RefreshStatusTexts(const ClockState& clock, StatusTexts& texts) {
    texts.m_statusText = clock.m_online ? "オンライン" : "オフライン";
    if (clock.m_referenceValid) {
        texts.m_referenceTimeText = FormatDateTimeMs(clock.m_referenceTime);
        texts.m_latestRequestText = FormatDateTimeMs(clock.m_latestRequestTime);
    }
    texts.m_elapsedText = FormatElapsedText(clock.m_elapsed);
}

std::string JournalText(const SyncJournal& journal) {
    std::string text;
    for (const auto& record : journal) {
        if (!text.empty()) text += "\r\n";
        text += record->FormatLine();
    }
    return text;
}

}  // namespace pelto
