#pragma once
/// One loaded log (main or comparison): its two header blocks exactly as in the file and its
/// per-slot value and status columns, each frameCount + 1 long (one spare element) or longer when
/// padded to another log's length. A log read from a file keeps the file open (its store) and
/// makes columns from it when they are needed (its column cache); the time column and the
/// columns made here (math channels) are owned and always present.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/ChannelStats.h"
#include "model/Column.h"
#include "model/ColumnCache.h"
#include "format/DataLogFrame.h"
#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"

namespace quillon {

class LogStore;
class LogSummary;

/// The figures of every slot over all the frames of a file, as the opening pass made them (the
/// standard deviations as computed since).
struct FileFigures {
    std::array<ChannelStats, kSlotCount> stats{};
    std::bitset<kSlotCount> deviationPending;
    int frames = 0;
};

/// Where the columns of a log read from a file come from, element by element: elements
/// [0, frameCount) are the file's frames first, first + 1, ...; the element at frameCount is the
/// file's partial trailing frame while `spareFromFile` holds (0s when the file has none); every
/// other element holds the fill values.
struct ColumnSource {
    std::shared_ptr<LogStore> store;
    int first = 0;
    bool spareFromFile = true;
    float fillValue = 0.0f;
    uint32_t fillStatus = 0;
    /// Elements of every column.
    size_t length = 0;
    /// Slots whose columns were made here (time, math channels): never dropped nor read again.
    std::bitset<kSlotCount> owned;
    /// The opening pass's summary of the file's frames (none when memory ran out).
    std::shared_ptr<const LogSummary> summary;
    /// The whole file's figures, shared by copies of the log (a frame range is the same frames
    /// in each).
    std::shared_ptr<FileFigures> figures;
};

struct LogData {
    DataLogHeader header;
    EcuConfigBlock config;
    int32_t frameCount = 0;
    uint64_t firstTimestamp = 0;
    /// Slot s holds channel s + 1; slot 0's values are seconds from the zero time. For a log
    /// with a store, the columns of its file's slots are made by `cache` (EnsureColumns).
    std::array<Column<float>, kSlotCount> values;
    std::array<Column<uint32_t>, kSlotCount> status;
    std::array<ChannelStats, kSlotCount> stats{};
    /// Slots whose standard deviation over [statsFirst, statsEnd) is still to be computed
    /// (EnsureDeviations).
    std::bitset<kSlotCount> deviationPending;
    int statsFirst = 0;
    int statsEnd = 0;
    /// Set for a log read from a file.
    ColumnSource source;
    /// Which columns made from the file are kept, within its budget.
    ColumnCache cache;
    /// Each frame's own timestamp as read, in milliseconds from firstTimestamp (empty for logs
    /// made in memory). Writers use it instead of the f32 time, which cannot hold milliseconds
    /// far from the zero time.
    Column<int64_t> offsetMs;
    /// Running maxima of RPM (slot 1) and MAP (slot 28), collected while reading.
    float maxRpm = 0.0f;
    float maxMap = 0.0f;

    bool Empty() const { return frameCount <= 0; }
};

}  // namespace quillon
