#pragma once
/// Statistics of a log over a frame range: the columns in memory from memory, the file's slots
/// by passes over the file, and the standard deviations that the opening pass leaves pending.

#include <array>
#include <bitset>
#include <vector>

#include "model/ChannelStats.h"
#include "model/LogData.h"
#include "platform/Result.h"

namespace quillon {

/// Statistics of every slot over frames [first, end), cut to the log's frames: owned columns from
/// memory, the file's slots by passes over the file (all of them with `fileSlots`; otherwise
/// their records stay as they are). Standard deviations of the file's slots only with
/// `deviations` (else left pending). Slopes of every slot are recomputed. Sums are double in
/// frame order (see StatsKernel.h). Over every frame of a file as it was opened, the file's slots
/// take the opening pass's figures (bit for bit what a pass would give) instead of a pass.
Result ComputeLogStats(LogData& log, int first, int end, bool fileSlots = true,
                       bool deviations = true);
/// The same figures into `out`, leaving the log as it is; the slots whose deviation was left
/// pending are set in `pending` when given.
Result StatsOfRange(const LogData& log, int first, int end, bool fileSlots, bool deviations,
                    std::array<ChannelStats, kSlotCount>& out,
                    std::bitset<kSlotCount>* pending = nullptr);
/// After the log's times moved (a zero time, a nudge) over the frames its figures cover: slot 0's
/// figures over the same frames again and every slope. False when the times had not moved.
bool RetimeStats(LogData& log);
/// Computes the pending standard deviations of the given slots (all slots when empty).
Result EnsureDeviations(LogData& log, const std::vector<int>& wanted = {});

}  // namespace quillon
