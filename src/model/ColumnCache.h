#pragma once
/// The columns of a log that are made from its file when they are needed: made in one pass for
/// all the slots asked for, kept within a byte budget, the least recently used dropped first.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/DataLogFrame.h"

namespace quillon {

struct LogData;

/// Bytes of columns made from a file that a log keeps by default: 24 MB and 4% of the file.
size_t DefaultColumnBudget(uint64_t fileSize);

/// The bookkeeping of the columns a log makes from its file: the budget and the use clock. Each
/// log holds its own (LogData::cache), so whoever may change the log may make its columns; the
/// columns themselves stay in the log's arrays, where readers find them.
class ColumnCache {
public:
    size_t Budget() const { return m_budget; }
    /// Bytes the columns made from the file may take before older ones are dropped.
    void SetBudget(size_t bytes) { m_budget = bytes; }
    /// Marks a slot's columns as just used.
    void Touch(int slot) { m_lastUse[size_t(slot)] = ++m_clock; }

    /// Makes the value columns (and with `withStatus` the status columns) of the given slots of
    /// `log`, the log that holds this cache, all in one pass over the file. Older columns made
    /// from the file may be dropped to stay within the budget, never one of these, an owned one,
    /// or one that a holder still shares. False when the file can no longer be read or memory
    /// runs out (the columns stay missing). A log without a store has all its columns already.
    bool Make(LogData& log, const std::vector<int>& wanted, bool withStatus);

private:
    void Trim(LogData& log, size_t incoming, const std::vector<bool>& keep) const;

    std::array<uint64_t, kSlotCount> m_lastUse{};
    uint64_t m_clock = 0;
    size_t m_budget = 0;
};

/// log.cache.Make(log, wanted, withStatus).
bool EnsureColumns(LogData& log, const std::vector<int>& wanted, bool withStatus = false);
/// Every column, values and status, kept from then on whatever their size.
bool EnsureAllColumns(LogData& log);
/// Makes every column and lets the file go: the log then lives in memory alone. False (nothing
/// changed but columns made) when the file can no longer be read or memory runs out.
bool DetachFromFile(LogData& log);
/// Marks a slot's columns as made here (math channels); they are kept from then on.
void MarkOwned(LogData& log, int slot);
/// Forgets the columns made from the file (before the frame set changes).
void DropFileColumns(LogData& log);

}  // namespace quillon
