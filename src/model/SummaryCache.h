#pragma once
/// What the opening pass computes from a log file, kept in the user's cache folder so that a
/// second opening of the same unchanged file reads it instead of the frames: the summary, the
/// whole-file statistics (standard deviations included once computed), the running maxima and each
/// frame's millisecond offset (the times follow from them). An entry is used only for the exact
/// file it was made from: the same size, modification time and inode, and the same header,
/// configuration block and first and last frames; a damaged, cut or foreign entry is never trusted.

#include <cstdint>
#include <memory>
#include <string>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"
#include "model/LogData.h"

namespace quillon {

class LogStore;

/// Bytes the cache folder may hold; the oldest entries are removed beyond it.
inline constexpr uint64_t kSummaryCacheLimit = uint64_t(512) << 20;
/// Logs of fewer frames are not cached: their opening pass is as quick as reading an entry.
inline constexpr int kSummaryCacheMinFrames = 2048;

/// Fills `log` from the entry in `folder` for the file of `store`, as OpenLogColumns fills it when
/// no value column is wanted; false, with `log` empty, when there is no such entry or it cannot
/// be used.
bool LoadCachedOpening(const std::string& folder, const std::shared_ptr<LogStore>& store,
                       const DataLogHeader& header, const EcuConfigBlock& config, LogData& log);

/// Writes what the opening pass left in `log` (a log as opened from its file, unchanged) and the
/// whole file's standard deviations computed since as the entry for its file in `folder`, which
/// is made when missing, then removes the oldest entries beyond `limit` bytes. Failures are
/// silent: the cache only saves time.
void StoreCachedOpening(const std::string& folder, const LogData& log,
                        uint64_t limit = kSummaryCacheLimit);

}  // namespace quillon
