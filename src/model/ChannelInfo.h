#pragma once
/// The channel catalogue: the static records of channels 0 to 298, the availability rule and the
/// default axis ranges.

#include <cstdint>

#include "model/GraphConfiguration.h"
#include "format/EcuConfigBlock.h"
#include "model/LogData.h"

namespace quillon {

struct ChannelInfo {
    uint32_t channel;
    const char* name;
    const char* valueFormat;  // unit included; "%%" for a per cent sign; degree sign = byte 0xB0
    const char* unit;
    const char* numberFormat;
    float minimum;
    float maximum;
    uint8_t discrete;
    uint8_t fixedScale;
};

inline constexpr int kCatalogueSize = 299;  // channels 0..298
inline constexpr int kChannelCount = 440;   // channels 1..440

/// The static record of channel c, 0 <= c <= 298 (record 0 for any other c).
const ChannelInfo& GetChannelInfo(int c);

/// Whether channel c exists in a log with this configuration block.
bool IsChannelAvailable(const EcuConfigBlock& config, int c);
inline bool IsChannelAvailable(const LogData& log, int c) {
    return IsChannelAvailable(log.config, c);
}

/// Default axis range of channel c.
float GetChannelMin(const LogData& log, int c);
float GetChannelMax(const LogData& log, int c);

/// The default axis setting of channel c (1..440), computed before any log is read.
ChannelAxisSetting DefaultAxisSetting(int c);

}  // namespace quillon
