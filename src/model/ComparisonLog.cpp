#include "model/ComparisonLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "model/DataLogFile.h"
#include "format/DataLogFrame.h"
#include "platform/FileSystem.h"
#include "model/LogColumns.h"
#include "model/ZeroTime.h"

namespace quillon {

namespace {

// The elements of a file's slots from the log's frame count on become markers, `length` of them
// in all; the columns made from the file are made again with them when needed.
void PadFileSlots(LogData& log, size_t length) {
    if (!log.source.store) return;
    DropFileColumns(log);
    ColumnSource& src = log.source;
    src.spareFromFile = false;
    src.fillValue = kNoValue;
    src.fillStatus = kNoValueStatus;
    src.length = std::max(src.length, length);
}

// New storage for the columns of a log that must hold `length` + 1 elements, its frames from
// `kept` on being markers. Built apart so that a failed allocation changes nothing.
struct PaddedColumns {
    std::vector<Column<float>> values;
    std::vector<Column<uint32_t>> status;

    bool Build(const LogData& log, int kept, int length) {
        const size_t needed = size_t(length) + 1;
        values.resize(kSlotCount);
        status.resize(kSlotCount);
        for (size_t s = 0; s < size_t(kSlotCount); ++s) {
            if (IsFileSlot(log, int(s))) continue;
            if (!values[s].Allocate(needed) || !status[s].Allocate(needed)) return false;
            const size_t copy = std::min({size_t(kept), log.values[s].size(), needed});
            const size_t copyStatus = std::min({size_t(kept), log.status[s].size(), needed});
            std::memcpy(values[s].data(), log.values[s].data(), copy * sizeof(float));
            std::memcpy(status[s].data(), log.status[s].data(), copyStatus * sizeof(uint32_t));
            std::fill(values[s].begin() + copy, values[s].end(), kNoValue);
            std::fill(status[s].begin() + copyStatus, status[s].end(), kNoValueStatus);
        }
        return true;
    }
    void MoveInto(LogData& log, int length) {
        for (size_t s = 0; s < size_t(kSlotCount); ++s) {
            if (IsFileSlot(log, int(s))) continue;
            log.values[s] = std::move(values[s]);
            log.status[s] = std::move(status[s]);
        }
        PadFileSlots(log, size_t(length) + 1);
    }
};

bool LongEnough(const LogData& log, int length) {
    for (int s = 0; s < kSlotCount; ++s)
        if (IsFileSlot(log, s)) {
            if (log.source.length <= size_t(length)) return false;
        } else if (log.values[s].size() <= size_t(length) || log.status[s].size() <= size_t(length))
            return false;
    return true;
}

}  // namespace

Result LoadComparisonLog(const std::string& path, LogData& main, LogData& comparison,
                         const ProgressCallback& progress, const ReadOptions& options,
                         std::string* openedPath) {
    DataLogReader reader;
    Result open = reader.Open(path);
    if (open.ok() && reader.Compressed()) open = reader.Expand(progress);
    if (!open.ok()) return open.During(Operation::OpenComparison);
    if (openedPath) *openedPath = reader.Path();
    return LoadComparisonLog(reader, main, comparison, progress, options);
}

Result LoadComparisonLog(DataLogReader& reader, LogData& main, LogData& comparison,
                         const ProgressCallback& progress, const ReadOptions& options) {
    auto fresh = std::make_unique<LogData>();
    if (Result read = reader.ReadInto(*fresh, progress, options); !read.ok())
        return read.During(Operation::OpenComparison);

    const int n = std::max(main.frameCount, 0);
    const int m = fresh->frameCount;
    const int length = std::max(n, m);
    Result outOfMemory =
        Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForComparison, reader.Path())
            .During(Operation::OpenComparison);

    PaddedColumns comparisonColumns, mainColumns;
    const bool padComparison = m < length;
    if (padComparison && !comparisonColumns.Build(*fresh, m, length)) return outOfMemory;
    const bool growMain = m > n && !LongEnough(main, length);
    if (growMain && !mainColumns.Build(main, n, length)) return outOfMemory;

    // Nothing can fail from here on.
    if (padComparison) comparisonColumns.MoveInto(*fresh, length);
    if (growMain) {
        mainColumns.MoveInto(main, length);
    } else if (m > n) {
        // Long enough from an earlier, longer comparison: frames N .. L become markers again.
        PadFileSlots(main, size_t(length) + 1);
        for (int s = 0; s < kSlotCount; ++s) {
            if (IsFileSlot(main, s)) continue;
            std::fill(main.values[s].begin() + n, main.values[s].begin() + length + 1, kNoValue);
            std::fill(main.status[s].begin() + n, main.status[s].begin() + length + 1,
                      kNoValueStatus);
        }
    }
    comparison = std::move(*fresh);
    return Result::Success();
}

void CloseComparisonLog(LogData& comparison) {
    for (int s = 0; s < kSlotCount; ++s) {
        comparison.values[s].Reset();
        comparison.status[s].Reset();
    }
    comparison.offsetMs.Reset();
    comparison.source = ColumnSource{};
    comparison.cache = ColumnCache{};
    comparison.deviationPending.reset();
    comparison.stats = {};
    comparison.frameCount = 0;
    comparison.firstTimestamp = 0;
}

Result SaveComparisonLog(const std::string& path, LogData& comparison) {
    return WriteDataLog(path, comparison).During(Operation::SaveComparison);
}

bool SetComparisonZeroTime(LogData& comparison, const LogData& main, int frame,
                           bool cursorOnComparison) {
    if (comparison.frameCount <= 0 || frame < 0) return false;
    if (cursorOnComparison) return SetZeroTimeAtFrame(comparison, frame);
    if (frame >= main.frameCount || main.values[0].size() <= size_t(frame)) return false;
    const float t = main.values[0][size_t(frame)];
    if (t == kNoValue) return false;
    return SetZeroTimeAtTime(comparison, t);
}

void NudgeComparison(LogData& comparison, int n) {
    ShiftComparison(comparison, float(n * 0.1));
}

void ShiftComparison(LogData& comparison, float step) {
    comparison.header.Set(DataLogHeader::zeroTime,
                          comparison.header.Get(DataLogHeader::zeroTime) - step);
    const size_t count =
        std::min(size_t(std::max(comparison.frameCount, 0)), comparison.values[0].size());
    float* time = comparison.values[0].data();
    for (size_t i = 0; i < count; ++i)
        if (time[i] != kNoValue) time[i] += step;
}

}  // namespace quillon
