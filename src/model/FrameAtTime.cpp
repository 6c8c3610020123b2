#include "model/FrameAtTime.h"

#include <algorithm>

namespace quillon {

int FrameAtTime(const float* time, int count, float t) {
    if (!time || count <= 0) return -1;
    if (time[0] > t) return 0;
    if (time[count - 1] <= t) return count - 1;
    if (count < 2) return -1;
    // Times rise with the frames, so the first time above t is found by bisection.
    const float* above = std::upper_bound(time + 1, time + count, t);
    if (above == time + count) return -1;
    const int i = static_cast<int>(above - time);
    const float f = (t - time[i - 1]) / (time[i] - time[i - 1]);
    return f > 0.5f ? i : i - 1;
}

int NearestFrameAtTime(const LogData& log, float t) {
    const int n = log.frameCount;
    if (n <= 0 || log.values[0].size() < static_cast<size_t>(n)) return -1;
    return FrameAtTime(log.values[0].data(), n, t);
}

}  // namespace quillon
