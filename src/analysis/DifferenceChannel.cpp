#include "analysis/DifferenceChannel.h"

#include <algorithm>
#include <cmath>

#include "model/LogColumns.h"

namespace quillon {

namespace {

/// Where t falls among the times u[0..m), m >= 1: the smallest i with u[i] > t, m when t is the
/// last frame's time, -1 outside the times or where they do not rise around t. With `sorted`
/// times the search starts at `hint` when the frame before it lies at or before t (a pass at
/// rising times then walks instead of searching); the answer is the same.
int FrameAfter(const float* u, int m, float t, bool sorted, int hint) {
    if (!(t >= u[0]) || t > u[m - 1]) return -1;
    if (t == u[m - 1]) return m;
    int i;
    if (sorted && hint > 0 && hint < m && u[hint - 1] <= t) {
        i = hint;
        while (i < m && !(u[i] > t))
            ++i;
    } else {
        // Damaged (unordered) times still give an index inside.
        i = int(std::upper_bound(u, u + m, t) - u);
    }
    if (i <= 0 || i >= m || !(u[i] > u[i - 1])) return -1;
    return i;
}

/// The value at t between frames i - 1 and i; the marker when one of them holds it, unless t is
/// frame i - 1's own time.
float Blend(const float* u, int i, float t, float before, float after) {
    if (t == u[i - 1]) return before;
    if (before == kNoValue || after == kNoValue) return kNoValue;
    return (t - u[i - 1]) / (u[i] - u[i - 1]) * (after - before) + before;
}

}  // namespace

InterpolatedValue InterpolateAtTime(const LogData& log, int slot, float t) {
    const InterpolatedValue none{kNoValue, 0};
    const int m = log.frameCount;
    if (m <= 0 || slot < 0 || slot >= kSlotCount) return none;
    const float* u = log.values[0].data();
    if (!u || log.values[0].size() < size_t(m)) return none;
    // Columns made in memory must reach every frame; a file's slot is read where needed.
    if (!IsFileSlot(log, slot) && (log.values[size_t(slot)].size() < size_t(m) ||
                                   log.status[size_t(slot)].size() < size_t(m)))
        return none;
    const int i = FrameAfter(u, m, t, false, 0);
    if (i < 0) return none;
    if (i == m) return {ValueAt(log, slot, m - 1), StatusAt(log, slot, m - 1)};
    const float value = Blend(u, i, t, ValueAt(log, slot, i - 1), ValueAt(log, slot, i));
    if (value == kNoValue && t != u[i - 1]) return none;
    return {value, StatusAt(log, slot, i - 1)};
}

bool DifferenceValues(LogData& main, LogData& comparison, int slot, int first, int end,
                      std::vector<float>& out) {
    out.clear();
    if (slot < 0 || slot >= kSlotCount) return false;
    const int n = main.frameCount;
    first = std::max(first, 0);
    end = std::min(end, n);
    if (!EnsureColumns(main, {slot}) || !EnsureColumns(comparison, {slot})) return false;
    if (first >= end) return true;
    const Column<float>& time = main.values[0];
    const Column<float>& values = main.values[size_t(slot)];
    if (time.size() < size_t(end) || values.size() < size_t(end)) return false;
    out.assign(size_t(end - first), kNoValue);

    const int m = comparison.frameCount;
    const float* u = comparison.values[0].data();
    const float* v = comparison.values[size_t(slot)].data();
    if (m <= 0 || !u || !v || comparison.values[0].size() < size_t(m) ||
        comparison.values[size_t(slot)].size() < size_t(m))
        return true;
    const bool sorted = std::is_sorted(u, u + m);
    int hint = 0;
    for (int i = first; i < end; ++i) {
        const float a = values[size_t(i)];
        if (a == kNoValue) continue;
        const float t = time[size_t(i)];
        const int j = FrameAfter(u, m, t, sorted, hint);
        if (j < 0) continue;
        hint = j;
        const float b = j == m ? v[m - 1] : Blend(u, j, t, v[j - 1], v[j]);
        if (b != kNoValue) out[size_t(i - first)] = a - b;
    }
    return true;
}

DifferenceStats StatisticsOfDifferences(const std::vector<float>& values) {
    DifferenceStats s;
    const auto usable = [](float d) { return d != kNoValue && std::isfinite(d); };
    double sum = 0;
    for (float d : values) {
        if (!usable(d)) continue;
        const double x = d;
        s.minimum = s.count == 0 ? x : std::min(s.minimum, x);
        s.maximum = s.count == 0 ? x : std::max(s.maximum, x);
        sum += x;
        ++s.count;
    }
    if (s.count == 0) return s;
    s.average = sum / double(s.count);
    double squares = 0;
    for (float d : values)
        if (usable(d)) squares += (double(d) - s.average) * (double(d) - s.average);
    s.deviation = std::sqrt(squares / double(s.count));
    return s;
}

}  // namespace quillon
