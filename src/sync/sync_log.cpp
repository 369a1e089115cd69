#include "sync/sync_log.h"

#include <cinttypes>
#include <cstdio>

#include "sync/time_arith.h"

namespace pelto {

CSyncLog::CSyncLog(const SystemTime& time, int32_t state, int32_t subState, int32_t roundTrip,
                   int64_t totalOffset, int64_t offset, int64_t elapsed, double driftRatio, std::string text)
    : m_time(time),
      m_isNote(false),
      m_state(state),
      m_subState(subState),
      m_totalOffset(totalOffset),
      m_offset(offset),
      m_text(std::move(text)),
      m_elapsed(elapsed),
      m_driftRatio(driftRatio),
      m_roundTrip(roundTrip) {}

CSyncLog::CSyncLog(const SystemTime& time, int32_t state, int32_t subState, std::string text)
    : m_time(time), m_isNote(true), m_state(state), m_subState(subState), m_text(std::move(text)) {}

std::string CSyncLog::FormatLine() const {
    std::string line = FormatDateTime(m_time);
    char buf[160];
    std::snprintf(buf, sizeof buf, " %d-%d ", m_state, m_subState);
    line += buf;
    if (!m_isNote) {
        // A ratio can be as large as a double goes, so size the text rather than cut it.
        const char* fmt = "%4d %16" PRId64 " %8" PRId64 " %8" PRId64 " %10.3f ";
        const int n = std::snprintf(nullptr, 0, fmt, m_roundTrip, m_elapsed, m_totalOffset, m_offset, m_driftRatio);
        if (n > 0) {
            std::string numbers(static_cast<size_t>(n) + 1, '\0');
            std::snprintf(numbers.data(), numbers.size(), fmt, m_roundTrip, m_elapsed, m_totalOffset, m_offset,
                          m_driftRatio);
            numbers.resize(static_cast<size_t>(n));
            line += numbers;
        }
    }
    line += m_text;
    return line;
}

void SyncJournal::Add(std::unique_ptr<CSyncLog> record) {
    if (!record) return;
    m_records.push_back(std::move(record));
    while (m_records.size() > kMaxRecords) m_records.pop_front();
}

}  // namespace pelto
