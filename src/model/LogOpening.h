#pragma once
/// The opening pass over a log file: time, millisecond offsets, running maxima, the statistics of
/// every slot, the summary the chart draws from and the columns wanted at once, all in one pass
/// over the frames.

#include <memory>
#include <vector>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"
#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// Empties a log's columns, statistics, frame count, maxima, store and column cache (header and
/// configuration block stay).
void ResetLog(LogData& log);

/// Fills `log` from an open store whose header and configuration block are given: time column,
/// millisecond offsets, running maxima, the statistics of every slot over all frames (the
/// standard deviations left pending, the figures kept for later whole-log requests) and the
/// summary (LogSummary; left out when memory runs short), with the value columns of `wanted` slots
/// (and their status columns with `withStatus`) made in the same pass. On failure `log` is left
/// empty; once `cancelled` says so the pass stops between blocks and the result is Cancelled.
Result OpenLogColumns(std::shared_ptr<LogStore> store, const DataLogHeader& header,
                      const EcuConfigBlock& config, LogData& log, const std::vector<int>& wanted,
                      bool withStatus, const ProgressCallback& progress = {},
                      const CancelCheck& cancelled = {});

}  // namespace quillon
