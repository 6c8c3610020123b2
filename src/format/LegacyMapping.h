#pragma once
/// Conversion of one legacy header, configuration block or frame into its V4 counterpart.

#include <cstddef>
#include <cstdint>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"
#include "format/LegacyLayout.h"

namespace quillon {

/// The V4 header of a legacy header of `layout` (1..3); `legacy` holds LegacyHeaderSize(layout)
/// bytes. The version becomes 0.4; bytes the layout does not carry are 0.
DataLogHeader ConvertLegacyHeader(const uint8_t* legacy, int layout);

/// The V4 configuration block built from a legacy configuration block (kLegacyConfigSize bytes).
EcuConfigBlock ConvertLegacyConfig(const uint8_t* legacy);

/// Converts one legacy frame (kLegacyFrameSize bytes) into a V4 frame (kFrameSize bytes).
void ConvertLegacyFrame(const uint8_t* legacy, uint8_t* v4);

}  // namespace quillon
