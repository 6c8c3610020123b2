#pragma once
/// Reading a log read from a file element by element: single values and statuses (from a column
/// when made, from the file otherwise), the elements beyond the file's frames, and visits of the
/// file's frames in blocks.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// Whether a slot's columns come from the file rather than from memory.
bool IsFileSlot(const LogData& log, int slot);

/// The value or status of one element of a slot: from its column when made, from the file
/// otherwise (the no-value marker, status 0, when the file can no longer be read).
float ValueAt(const LogData& log, int slot, int frame);
uint32_t StatusAt(const LogData& log, int slot, int frame);

/// Calls block(frames, first, n) with the file's bytes of the log's frames [first, end) (frame
/// indices of the log), in order, until it returns false (Cancelled). Only for a log with a
/// store.
Result VisitFrames(const LogData& log, int first, int end,
                   const std::function<bool(const uint8_t* frames, int first, int n)>& block,
                   const ProgressCallback& progress = {});

/// The partial frame after the file's last whole one (its missing bytes 0), or null when the file
/// has none.
const uint8_t* TailFrame(const LogData& log);

/// Element i (from the frame count on) of a file slot's column: the file's partial trailing frame
/// through `decode` (0 when the file has none) while the spare element comes from the file, the
/// fill value otherwise.
template <class T, class Decode>
T ElementBeyondFrames(const LogData& log, size_t i, T fill, Decode decode) {
    if (i == size_t(log.frameCount) && log.source.spareFromFile) {
        const uint8_t* tail = TailFrame(log);
        return tail ? decode(tail) : T(0);
    }
    return fill;
}

/// Elements [from, length) of a file slot's column, as ElementBeyondFrames gives them.
template <class T, class Decode>
void FillBeyondFrames(const LogData& log, T* column, size_t from, T fill, Decode decode) {
    for (size_t i = from; i < log.source.length; ++i)
        column[i] = ElementBeyondFrames(log, i, fill, decode);
}

}  // namespace quillon
