#pragma once
/// The columns of a log read from a file, made when they are needed: the opening pass (time,
/// running maxima, statistics and the columns wanted at once, in one pass over the frames),
/// columns made on demand under a memory budget, single values, frame blocks for writers, and
/// statistics over frame ranges.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/ChannelStats.h"
#include "format/DataLogFrame.h"
#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// Empties a log's columns, statistics, frame count, maxima and store (header and configuration
/// block stay).
void ResetLog(LogData& log);

/// Bytes of columns made from a file that a log keeps by default: 24 MB and 4% of the file.
size_t DefaultColumnBudget(uint64_t fileSize);

/// Fills `log` from an open store whose header and configuration block are given: time column,
/// millisecond offsets, running maxima and the statistics of every slot over all frames (the
/// standard deviations left pending), with the value columns of `wanted` slots (and their status
/// columns with `withStatus`) made in the same pass. On failure `log` is left empty.
Result OpenLogColumns(std::shared_ptr<LogStore> store, const DataLogHeader& header,
                      const EcuConfigBlock& config, LogData& log, const std::vector<int>& wanted,
                      bool withStatus, const ProgressCallback& progress = {});

/// Makes the value columns (and with `withStatus` the status columns) of the given slots, all in
/// one pass over the file; older columns made from the file may be dropped to stay within the
/// budget, never one of these, an owned one, or one that a holder still shares. False when the
/// file can no longer be read or memory runs out (the columns stay missing). A log without a
/// store has all its columns already.
bool EnsureColumns(const LogData& log, const std::vector<int>& wanted, bool withStatus = false);
/// Every column, values and status.
bool EnsureAllColumns(const LogData& log);
/// Makes every column and lets the file go: the log then lives in memory alone. False (nothing
/// changed but columns made) when the file can no longer be read or memory runs out.
bool DetachFromFile(LogData& log);
/// The value or status of one element of a slot: from its column when made, from the file
/// otherwise (the no-value marker, status 0, when the file can no longer be read).
float ValueAt(const LogData& log, int slot, int frame);
uint32_t StatusAt(const LogData& log, int slot, int frame);

/// Marks a slot's columns as made here (math channels); they are kept from then on.
void MarkOwned(LogData& log, int slot);
/// Forgets the columns made from the file (before the frame set changes).
void DropFileColumns(LogData& log);
/// Whether a slot's columns come from the file rather than from memory.
bool IsFileSlot(const LogData& log, int slot);

/// Calls block(frames, first, n) with the file's bytes of the log's frames [first, end) (frame
/// indices of the log), in order, until it returns false (Cancelled). Only for a log with a
/// store.
Result VisitFrames(const LogData& log, int first, int end,
                   const std::function<bool(const uint8_t* frames, int first, int n)>& block,
                   const ProgressCallback& progress = {});

/// Statistics of every slot over frames [first, end), cut to the log's frames: owned columns from
/// memory, the file's slots by passes over the file (all of them with `fileSlots`; otherwise
/// their records stay as they are). Standard deviations of the file's slots only with
/// `deviations` (else left pending). Slopes of every slot are recomputed. The figures are those
/// of plain single-precision sums in frame order.
Result ComputeLogStats(LogData& log, int first, int end, bool fileSlots = true,
                       bool deviations = true);
/// The same figures into `out`, leaving the log as it is; the slots whose deviation was left
/// pending are set in `pending` when given.
Result StatsOfRange(const LogData& log, int first, int end, bool fileSlots, bool deviations,
                    std::array<ChannelStats, kSlotCount>& out,
                    std::bitset<kSlotCount>* pending = nullptr);
/// Computes the pending standard deviations of the given slots (all slots when empty).
Result EnsureDeviations(LogData& log, const std::vector<int>& wanted = {});

/// Statistics of one column over [first, end) (no slope), the same figures as the statistics of
/// all slots give.
ChannelStats ColumnStats(const float* values, int first, int end);

}  // namespace quillon
