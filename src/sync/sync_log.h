#pragma once
// The in-memory synchronisation journal: one record per result, failure or start of the clock,
// newest 1000 kept, nothing written to disk.
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "platform/system_time.h"

namespace pelto {

class CSyncLog {
public:
    // Measurement record: a copy of the scheduler's numbers at the moment it is made.
    CSyncLog(const SystemTime& time, int32_t state, int32_t subState, int32_t roundTrip, int64_t totalOffset,
             int64_t offset, int64_t elapsed, double driftRatio, std::string text);
    // Note record: state and text only.
    CSyncLog(const SystemTime& time, int32_t state, int32_t subState, std::string text);
    virtual ~CSyncLog() = default;

    // " 2024/ 3/ 5 09:04:07 2-1   12          3600000       -5       -3    123.456 text"
    std::string FormatLine() const;

    SystemTime m_time;
    bool m_isNote;
    int32_t m_state;
    int32_t m_subState;
    int64_t m_totalOffset = 0;
    int64_t m_offset = 0;
    std::string m_text;
    int64_t m_elapsed = 0;
    double m_driftRatio = 0.0;
    int32_t m_roundTrip = 0;
};

// The journal's list: owns its records, oldest at the head.
class SyncJournal {
public:
    static constexpr size_t kMaxRecords = 1000;

    // Takes the record and drops the oldest ones beyond the bound.
    void Add(std::unique_ptr<CSyncLog> record);
    void Clear() noexcept { m_records.clear(); }
    size_t size() const noexcept { return m_records.size(); }
    bool empty() const noexcept { return m_records.empty(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

private:
    std::list<std::unique_ptr<CSyncLog>> m_records;
};

}  // namespace pelto
