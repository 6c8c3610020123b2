#pragma once
/// The legacy log layouts 1 to 3 (header, configuration block, 269-slot frames) and the tables
/// that map them onto the V4 header, configuration block and frame.

#include <array>
#include <cstddef>
#include <cstdint>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"

namespace quillon {

inline constexpr size_t kLegacyConfigSize = 111828;
inline constexpr size_t kLegacyFrameSize = 2152;
inline constexpr int kLegacySlotCount = 269;  // slot 0 = timestamp, 1..268 = channels
inline constexpr size_t kLegacyInputOffset = 288;
inline constexpr size_t kLegacyInputSize = 268;
inline constexpr size_t kLegacyOutputOffset = 21728;
inline constexpr size_t kLegacyOutputSize = 1452;
/// The 80 bytes at the end of the legacy block that the V4 block carries at 1340.
inline constexpr size_t kLegacyTailOffset = 111748;
inline constexpr size_t kLegacyTailSize = 80;
inline constexpr size_t kV4TailOffset = 1340;

/// Header bytes of layout 1, 2 or 3 (0 for any other number).
constexpr size_t LegacyHeaderSize(int layout) {
    return layout == 1 || layout == 2 ? 1048 : layout == 3 ? 7712 : 0;
}

/// A run of consecutive bytes or slots copied from a legacy place to a V4 place.
struct LegacyRun {
    int to;
    int from;
    int count;
};

/// V4 frame slots filled from legacy frame slots (slot 0, the timestamp, apart); every other V4
/// slot is value 0.0 with status 0.
inline constexpr std::array<LegacyRun, 11> kLegacySlotRuns{{
    {1, 1, 42},
    {44, 43, 7},
    {126, 50, 18},
    {149, 68, 4},
    {158, 72, 6},
    {168, 78, 4},
    {176, 82, 4},
    {185, 86, 5},
    {215, 91, 12},
    {230, 103, 24},
    {298, 127, 142},
}};

/// Bytes of the V4 configuration block copied from the legacy general configuration words.
inline constexpr std::array<LegacyRun, 11> kLegacyConfigRuns{{
    {0, 0, 64},
    {68, 64, 32},
    {124, 96, 20},
    {148, 116, 4},
    {156, 120, 16},
    {180, 136, 36},
    {220, 172, 32},
    {268, 204, 16},
    {300, 220, 16},
    {336, 236, 4},
    {344, 240, 44},
}};

/// Layout-2 header fields copied to their V4 places (after the notes).
inline constexpr std::array<LegacyRun, 5> kLayout2HeaderRuns{{
    {800, 536, 272},  // logDate, globalFile, firmwareVersion, ecuSerial
    {1200, 808, 68},  // drag race
    {1396, 876, 72},  // dyno
    {1596, 948, 44},  // ambient up to windBearing
    {1772, 992, 52},  // chassis and the word before it
}};

/// The legacy slot that feeds V4 slot s (1..439), or -1 when that V4 slot is always zero.
constexpr int LegacySlotOfV4Slot(int s) {
    for (const LegacyRun& r : kLegacySlotRuns)
        if (s >= r.to && s < r.to + r.count) return r.from + (s - r.to);
    return -1;
}

}  // namespace quillon
