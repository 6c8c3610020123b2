#pragma once
/// How a frame's bytes become the values of a log, shared by every reader: the value and status
/// of a slot (Diag statuses read as 0), the running maxima of RPM and MAP, and each frame's time.

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"

namespace quillon {

inline bool IsDiagSlot(int s) {
    return s >= kFirstDiagSlot && s <= kLastDiagSlot;
}

inline float FrameValue(const uint8_t* frame, int s) {
    return LoadF32(frame + 8 * size_t(s));
}

/// A Diag slot's status is not kept: it reads as 0.
inline uint32_t FrameStatus(const uint8_t* frame, int s) {
    return IsDiagSlot(s) ? 0u : LoadU32(frame + 8 * size_t(s) + 4);
}

/// The Diag statuses of a frame about to be written, as a reader gives them back.
inline void ZeroDiagStatuses(uint8_t* frame) {
    for (int s = kFirstDiagSlot; s <= kLastDiagSlot; ++s)
        StoreU32(frame + 8 * size_t(s) + 4, 0);
}

/// A running maximum that a NaN takes over (and keeps until a value reaches it again).
inline void UpdateMaximum(float& maximum, float value) {
    if (value >= maximum || std::isnan(value) || std::isnan(maximum)) maximum = value;
}

/// Time, millisecond offset and running maxima of frames read in order.
struct FrameClock {
    uint64_t first = 0;
    double zeroTime = 0;
    float maxRpm = 0;
    float maxMap = 0;

    /// The frame's time in seconds from the zero time; its offset in milliseconds from the first
    /// timestamp goes to `ms`.
    float Frame(const uint8_t* frame, int64_t& ms) {
        const uint64_t stamp = LoadU64(frame);
        if (first == 0) first = stamp;
        // A timestamp before the first one gives a negative time, not a wrapped huge one.
        ms = int64_t(stamp - first);
        UpdateMaximum(maxRpm, FrameValue(frame, kRpmSlot));
        UpdateMaximum(maxMap, FrameValue(frame, kMapSlot));
        return float(double(ms) / 1000.0 - zeroTime);
    }
};

}  // namespace quillon
