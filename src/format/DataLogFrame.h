#pragma once
/// Layout constants of a V4 frame: 440 slots of 8 bytes; slot 0 is the u64 millisecond
/// timestamp, slot k (1..439) the f32 value and u32 status of channel k + 1.

#include <cstddef>
#include <cstdint>

namespace quillon {

inline constexpr int kSlotCount = 440;
inline constexpr size_t kFrameSize = 3520;
inline constexpr size_t kFramesOffset = 7712 + 8492;  // 16204
/// Value of samples that do not exist (padding, interpolation outside a log).
inline constexpr float kNoValue = -999999.0f;
inline constexpr uint32_t kNoValueStatus = uint32_t(-999999);
/// Slots whose status words the reader zeroes (channels "Diag #1" to "Diag #20").
inline constexpr int kFirstDiagSlot = 242;
inline constexpr int kLastDiagSlot = 261;
inline constexpr int kRpmSlot = 1;
inline constexpr int kMapSlot = 28;

}  // namespace quillon
