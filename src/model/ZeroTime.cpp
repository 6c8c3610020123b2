#include "model/ZeroTime.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "format/DataLogFrame.h"
#include "model/LogColumns.h"

namespace quillon {

namespace {

bool IsFrame(const LogData& log, int frame) {
    return frame >= 0 && frame < log.frameCount &&
           log.values[0].size() > static_cast<size_t>(frame);
}

// Recomputes every time from its millisecond offset and the new zero time, in double precision
// as the reader does, so the in-memory axis equals the one a saved and reopened file gives.
void Retime(LogData& log, float zeroTime) {
    const int n = log.frameCount;
    std::vector<int64_t> offsets(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        offsets[size_t(i)] = FrameOffsetMs(log, i);
    float* time = log.values[0].data();
    for (int i = 0; i < n; ++i)
        if (time[i] != kNoValue) time[i] = float(double(offsets[size_t(i)]) / 1000.0 - zeroTime);
    log.header.Set(DataLogHeader::zeroTime, zeroTime);
}

// Moves elements [from, from + count) of a column to its front and leaves it `length` long,
// the rest holding `fill`. A smaller allocation is used when one can be had; otherwise the
// column is rearranged in place, which needs no memory (length never exceeds its size here).
template <class T>
void Rearrange(Column<T>& column, size_t from, size_t count, size_t length, T fill) {
    Column<T> fresh;
    if (length < column.size() && fresh.Allocate(length)) {
        std::memcpy(fresh.data(), column.data() + from, count * sizeof(T));
        std::fill(fresh.data() + count, fresh.data() + length, fill);
        column = std::move(fresh);
        return;
    }
    std::memmove(column.data(), column.data() + from, count * sizeof(T));
    std::fill(column.data() + count, column.data() + length, fill);
}

// Keeps frames [first, first + count) of every column, with room for `otherLength` frames and
// the spare element. False (nothing changed) when a column must grow and memory runs out.
bool KeepFrames(LogData& log, int first, int count, int otherLength) {
    const bool padded = otherLength > count;
    const size_t length = size_t(std::max(count, otherLength)) + 1;
    // Columns made from a file are made again from the kept frames when needed; only the
    // columns made here move.
    DropFileColumns(log);
    // Columns shorter than needed get their new storage before anything is moved.
    std::vector<Column<float>> grownValues(kSlotCount);
    std::vector<Column<uint32_t>> grownStatus(kSlotCount);
    for (int s = 0; s < kSlotCount; ++s) {
        if (IsFileSlot(log, s)) continue;
        if (log.values[s].size() < length) {
            if (!grownValues[size_t(s)].Allocate(length)) return false;
            std::memcpy(grownValues[size_t(s)].data(), log.values[s].data(),
                        log.values[s].size() * sizeof(float));
        }
        if (log.status[s].size() < length) {
            if (!grownStatus[size_t(s)].Allocate(length)) return false;
            std::memcpy(grownStatus[size_t(s)].data(), log.status[s].data(),
                        log.status[s].size() * sizeof(uint32_t));
        }
    }
    const float valueFill = padded ? kNoValue : 0.0f;
    const uint32_t statusFill = padded ? kNoValueStatus : 0u;
    for (int s = 0; s < kSlotCount; ++s) {
        if (IsFileSlot(log, s)) continue;
        if (grownValues[size_t(s)].size()) log.values[s] = std::move(grownValues[size_t(s)]);
        if (grownStatus[size_t(s)].size()) log.status[s] = std::move(grownStatus[size_t(s)]);
        Rearrange(log.values[s], size_t(first), size_t(count), length, valueFill);
        Rearrange(log.status[s], size_t(first), size_t(count), length, statusFill);
    }
    log.frameCount = count;
    if (log.source.store) {
        ColumnSource& src = log.source;
        src.first += first;
        src.spareFromFile = false;
        src.fillValue = valueFill;
        src.fillStatus = statusFill;
        src.length = length;
    }
    // The frames' own timestamps move with them; without room for them the times are used.
    Column<int64_t> offsets;
    if (log.offsetMs.size() >= size_t(first) + size_t(count) &&
        offsets.Allocate(size_t(count) + 1)) {
        std::memcpy(offsets.data(), log.offsetMs.data() + first, size_t(count) * sizeof(int64_t));
        offsets[size_t(count)] = 0;
    }
    log.offsetMs = std::move(offsets);
    return true;
}

}  // namespace

int64_t FrameOffsetMs(const LogData& log, int frame) {
    if (!IsFrame(log, frame)) return 0;
    const float time = log.values[0][size_t(frame)];
    const float zero = log.header.Get(DataLogHeader::zeroTime);
    const double fromTime = (double(time) + double(zero)) * 1000.0;
    // The frame's own timestamp, as long as its time still says the same to within what an f32
    // can tell apart there; a time moved on purpose (an edited log) is taken as it stands.
    if (size_t(frame) < log.offsetMs.size() && std::isfinite(fromTime)) {
        auto step = [](float v) {
            v = std::fabs(v);
            return double(std::nextafter(v, INFINITY) - v) * 1000.0;
        };
        const int64_t own = log.offsetMs[size_t(frame)];
        if (std::fabs(double(own) - fromTime) <= step(time) + step(zero) + 1.0) return own;
    }
    return std::llround(fromTime);
}

bool SetZeroTimeAtFrame(LogData& log, int frame) {
    if (!IsFrame(log, frame)) return false;
    // The zero time is taken from the frame's millisecond offset, not from its rounded time, so
    // that it measures from the first timestamp however often it is set.
    Retime(log, float(double(FrameOffsetMs(log, frame)) / 1000.0));
    return true;
}

bool SetZeroTimeAtTime(LogData& log, float t) {
    // A padding frame of the other log has no instant to measure from.
    if (!IsFrame(log, 0) || t == kNoValue || !std::isfinite(t)) return false;
    Retime(log, float(double(t) - double(log.values[0][0])));
    return true;
}

bool SetStartPoint(LogData& log, int frame, int otherLength) {
    if (!IsFrame(log, frame)) return false;
    const int count = log.frameCount - frame;
    const int64_t advance = FrameOffsetMs(log, frame);
    std::vector<int64_t> offsets(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        offsets[size_t(i)] = FrameOffsetMs(log, frame + i) - advance;
    if (!KeepFrames(log, frame, count, otherLength)) return false;
    log.firstTimestamp = uint64_t(int64_t(log.firstTimestamp) + advance);
    log.header.Set(DataLogHeader::zeroTime, 0.0f);
    float* time = log.values[0].data();
    for (int i = 0; i < count; ++i)
        if (time[i] != kNoValue) time[i] = float(double(offsets[size_t(i)]) / 1000.0);
    if (log.offsetMs.size() >= size_t(count))
        std::copy(offsets.begin(), offsets.end(), log.offsetMs.data());
    return true;
}

bool SetEndPoint(LogData& log, int frame, int otherLength) {
    if (!IsFrame(log, frame)) return false;
    return KeepFrames(log, 0, frame + 1, otherLength);
}

int FindAutoZeroFrame(LogData& log, int channel, uint32_t condition, float trigger) {
    if (channel < 1 || channel > kSlotCount) return -1;
    if (condition != kAutoZeroLessThan && condition != kAutoZeroGreaterThan) return -1;
    if (!EnsureColumns(log, {channel - 1})) return kAutoZeroReadFailed;
    const Column<float>& column = log.values[size_t(channel - 1)];
    const int n = std::min(log.frameCount, int(column.size()));
    const float* v = column.data();
    for (int i = 0; i < n; ++i)
        if (condition == kAutoZeroGreaterThan ? v[i] > trigger : v[i] < trigger) return i;
    return -1;
}

int AutoZero(LogData& log, int channel, uint32_t condition, float trigger) {
    const int frame = FindAutoZeroFrame(log, channel, condition, trigger);
    if (frame >= 0) SetZeroTimeAtFrame(log, frame);
    return frame;
}
}  // namespace quillon
