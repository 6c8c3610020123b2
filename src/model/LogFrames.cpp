#include "model/LogFrames.h"

#include <algorithm>

#include "model/FrameDecoding.h"
#include "model/LogStore.h"

namespace quillon {

namespace {

bool ValidSlot(int s) {
    return s >= 0 && s < kSlotCount;
}

// One element of a slot's column, from the file, through `decode`.
template <class T, class Decode>
T ElementFromFile(const LogData& log, int frame, T fill, T broken, Decode decode) {
    const ColumnSource& src = log.source;
    if (frame < 0 || size_t(frame) >= src.length) return fill;
    if (frame >= log.frameCount) return ElementBeyondFrames(log, size_t(frame), fill, decode);
    const uint8_t* bytes = src.store->CachedFrame(src.first + frame);
    return bytes ? decode(bytes) : broken;
}

}  // namespace

const uint8_t* TailFrame(const LogData& log) {
    const LogStore* store = log.source.store.get();
    return store && store->TailSize() > 0 ? store->TailFrame() : nullptr;
}

bool IsFileSlot(const LogData& log, int slot) {
    return log.source.store && ValidSlot(slot) && !log.source.owned[size_t(slot)];
}

float ValueAt(const LogData& log, int slot, int frame) {
    if (!ValidSlot(slot) || frame < 0) return kNoValue;
    const Column<float>& column = log.values[slot];
    if (size_t(frame) < column.size()) return column[size_t(frame)];
    if (!IsFileSlot(log, slot)) return kNoValue;
    return ElementFromFile(log, frame, log.source.fillValue, kNoValue,
                           [slot](const uint8_t* f) { return FrameValue(f, slot); });
}

uint32_t StatusAt(const LogData& log, int slot, int frame) {
    if (!ValidSlot(slot) || frame < 0) return 0;
    const Column<uint32_t>& column = log.status[slot];
    if (size_t(frame) < column.size()) return column[size_t(frame)];
    if (!IsFileSlot(log, slot)) return 0;
    return ElementFromFile(log, frame, log.source.fillStatus, 0u,
                           [slot](const uint8_t* f) { return FrameStatus(f, slot); });
}

Result VisitFrames(const LogData& log, int first, int end,
                   const std::function<bool(const uint8_t* frames, int first, int n)>& block,
                   const ProgressCallback& progress) {
    const ColumnSource& src = log.source;
    if (!src.store) return Result::Failure(ErrorKind::Unreadable, Cause::NoFile);
    first = std::max(first, 0);
    end = std::min(end, log.frameCount);
    return src.store->Pass(
        src.first + first, src.first + end,
        [&](const uint8_t* frames, int fileFrame, int n) {
            return block(frames, fileFrame - src.first, n);
        },
        progress);
}

}  // namespace quillon
