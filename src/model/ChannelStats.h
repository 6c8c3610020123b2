#pragma once
/// Statistics of one slot over a frame range.

#include <cstdint>

namespace quillon {

struct ChannelStats {
    float minimum = 0;
    float maximum = 0;
    float average = 0;
    float standardDeviation = 0;
    float startValue = 0;
    float endValue = 0;
    float delta = 0;  // start value minus end value
    uint32_t count = 0;
    float slope = 0;  // delta / (start time - end time)
};

}  // namespace quillon
