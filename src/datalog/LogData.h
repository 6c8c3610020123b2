#pragma once
/// One loaded log (main or comparison): its two header blocks exactly as in the file and its
/// per-slot value and status columns, each frameCount + 1 long (one spare element).

#include <array>
#include <cstdint>

#include "datalog/ChannelStats.h"
#include "datalog/Column.h"
#include "datalog/DataLogFrame.h"
#include "datalog/DataLogHeader.h"
#include "datalog/EcuConfigBlock.h"

namespace quillon {

struct LogData {
    DataLogHeader header;
    EcuConfigBlock config;
    int32_t frameCount = 0;
    uint64_t firstTimestamp = 0;
    /// Slot s holds channel s + 1; slot 0's values are seconds from the zero time.
    std::array<Column<float>, kSlotCount> values;
    std::array<Column<uint32_t>, kSlotCount> status;
    std::array<ChannelStats, kSlotCount> stats{};
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
