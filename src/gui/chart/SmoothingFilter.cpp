#include "gui/chart/SmoothingFilter.h"

#include <algorithm>

namespace quillon {

int SmoothingHalfWidth(int level) {
    switch (level) {
        case 2:
            return 2;
        case 3:
            return 4;
        case 4:
            return 7;
        case 5:
            return 12;
        default:
            return 1;
    }
}

void ApplySmoothingFilter(const float* in, size_t n, int level, float* out) {
    const size_t h = static_cast<size_t>(SmoothingHalfWidth(level));
    for (size_t i = 0; i < n; ++i) {
        const size_t first = i > h ? i - h : 0;
        const size_t end = std::min(n, i + h);
        // Each window is summed afresh: a sliding sum held in single precision would carry the
        // rounding of every earlier sample (and of any -999999 marker) into all later values.
        float sum = 0.0f;
        for (size_t k = first; k < end; ++k)
            sum += in[k];
        out[i] = sum / static_cast<float>(end - first);
    }
}

}  // namespace quillon
