#include "analysis/Alignment.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/RunFinder.h"
#include "model/FrameAtTime.h"

namespace quillon {

namespace {

// Grids longer than this are made coarser: 4M points of 10 ms cover eleven hours.
constexpr int64_t kMostGridPoints = int64_t(1) << 22;
// Above this many products a direct search of every shift is split into a coarse and a fine one.
constexpr double kDirectProducts = 2e7;

/// One resampled channel: values (less their mean) at t0 + j * step, the prefix sums of the
/// values and of their squares, and the indices [lo, hi) that lie within the log's times.
struct Grid {
    std::vector<double> v;
    std::vector<double> sum;
    std::vector<double> squares;
    int lo = 0;
    int hi = 0;

    void Prepare() {
        double mean = 0;
        for (int j = lo; j < hi; ++j)
            mean += v[size_t(j)];
        mean = hi > lo ? mean / (hi - lo) : 0.0;
        sum.assign(v.size() + 1, 0.0);
        squares.assign(v.size() + 1, 0.0);
        for (size_t j = 0; j < v.size(); ++j) {
            const bool in = int(j) >= lo && int(j) < hi;
            v[j] = in ? v[j] - mean : 0.0;
            sum[j + 1] = sum[j] + v[j];
            squares[j + 1] = squares[j] + v[j] * v[j];
        }
    }
    double Variance() const {
        const int n = hi - lo;
        if (n <= 0) return 0.0;
        const double s = sum[size_t(hi)] - sum[size_t(lo)];
        return (squares[size_t(hi)] - squares[size_t(lo)]) - s * s / n;
    }
};

/// The typical frame period over frames [first, last]: the median of periods averaged over
/// spans of up to 64 frames, which the f32 rounding of times far from zero hardly moves.
double TypicalPeriod(const float* time, int first, int last) {
    const int frames = last - first;
    if (frames < 1) return 0.0;
    const int span = std::min(64, frames);
    const int samples = std::min(4001, frames - span + 1);
    std::vector<double> periods;
    periods.reserve(size_t(samples));
    for (int s = 0; s < samples; ++s) {
        const int i = first + int(int64_t(s) * (frames - span) / std::max(1, samples - 1));
        const double d = (double(time[i + span]) - double(time[i])) / span;
        if (d > 0 && std::isfinite(d)) periods.push_back(d);
    }
    if (periods.empty()) return 0.0;
    auto middle = periods.begin() + std::ptrdiff_t(periods.size() / 2);
    std::nth_element(periods.begin(), middle, periods.end());
    return *middle;
}

/// The channel at t0 + j * step for j in [0, count), linearly interpolated between frames;
/// points outside the log's times are left out of [lo, hi), and a value that is not a number
/// takes the nearest earlier (else later) number.
Grid Resample(const float* time, const float* value, int n, double t0, double step, int64_t count) {
    Grid g;
    g.v.assign(size_t(count), NAN);
    const double first = time[0];
    const double last = time[n - 1];
    g.lo = int(std::clamp<double>(std::ceil((first - t0) / step), 0.0, double(count)));
    g.hi = int(std::clamp<double>(std::floor((last - t0) / step) + 1, 0.0, double(count)));
    if (g.hi < g.lo) g.hi = g.lo;
    int i = 0;
    for (int j = g.lo; j < g.hi; ++j) {
        const double t = t0 + double(j) * step;
        while (i + 1 < n && double(time[i + 1]) <= t)
            ++i;
        double v = value[i];
        if (i + 1 < n && double(time[i + 1]) > double(time[i])) {
            const double w = (t - double(time[i])) / (double(time[i + 1]) - double(time[i]));
            const double next = value[i + 1];
            if (std::isfinite(v) && std::isfinite(next))
                v += (next - v) * std::clamp(w, 0.0, 1.0);
            else if (!std::isfinite(v))
                v = next;
        }
        g.v[size_t(j)] = v;
    }
    // Gaps of no number: hold the last number; leading ones take the first.
    double held = NAN;
    for (int j = g.lo; j < g.hi; ++j) {
        if (std::isfinite(g.v[size_t(j)]))
            held = g.v[size_t(j)];
        else
            g.v[size_t(j)] = held;
    }
    for (int j = g.hi - 1; j >= g.lo && !std::isfinite(g.v[size_t(j)]); --j)
        g.v[size_t(j)] = held;
    held = NAN;
    for (int j = g.hi - 1; j >= g.lo; --j) {
        if (std::isfinite(g.v[size_t(j)]))
            held = g.v[size_t(j)];
        else
            g.v[size_t(j)] = held;
    }
    for (int j = g.lo; j < g.hi; ++j)
        if (!std::isfinite(g.v[size_t(j)])) g.v[size_t(j)] = 0.0;  // no number at all: flat
    g.Prepare();
    return g;
}

/// Block means of f points: block J covers points [J * f + phase, J * f + phase + f); only
/// blocks wholly inside [lo, hi) count.
Grid Coarsen(const Grid& g, int f, int phase) {
    Grid c;
    const int64_t blocks = std::max<int64_t>(0, (int64_t(g.v.size()) - phase) / f);
    c.v.assign(size_t(blocks), 0.0);
    c.lo = int(blocks);
    c.hi = 0;
    for (int64_t b = 0; b < blocks; ++b) {
        const int64_t from = b * f + phase;
        if (from < g.lo || from + f > g.hi) continue;
        double s = 0;
        for (int64_t j = from; j < from + f; ++j)
            s += g.v[size_t(j)];
        c.v[size_t(b)] = s / f;
        c.lo = std::min(c.lo, int(b));
        c.hi = std::max(c.hi, int(b) + 1);
    }
    if (c.hi < c.lo) c.lo = c.hi = 0;
    c.Prepare();
    return c;
}

struct Score {
    bool ok = false;
    double r = 0.0;
    int count = 0;
};

/// Pearson's R of x[k] with y[k + offset] over the k where both lie inside their logs.
Score Correlate(const Grid& x, const Grid& y, int64_t offset, int minOverlap) {
    const int64_t lo = std::max<int64_t>(x.lo, y.lo - offset);
    const int64_t hi = std::min<int64_t>(x.hi, y.hi - offset);
    Score score;
    if (hi - lo < std::max(minOverlap, 2)) return score;
    const double* a = x.v.data() + lo;
    const double* b = y.v.data() + lo + offset;
    const int64_t n = hi - lo;
    double p0 = 0, p1 = 0, p2 = 0, p3 = 0;
    int64_t k = 0;
    for (; k + 4 <= n; k += 4) {
        p0 += a[k] * b[k];
        p1 += a[k + 1] * b[k + 1];
        p2 += a[k + 2] * b[k + 2];
        p3 += a[k + 3] * b[k + 3];
    }
    for (; k < n; ++k)
        p0 += a[k] * b[k];
    const double sxy = (p0 + p1) + (p2 + p3);
    const double sx = x.sum[size_t(hi)] - x.sum[size_t(lo)];
    const double sy = y.sum[size_t(hi + offset)] - y.sum[size_t(lo + offset)];
    const double vx = (x.squares[size_t(hi)] - x.squares[size_t(lo)]) - sx * sx / double(n);
    const double vy =
        (y.squares[size_t(hi + offset)] - y.squares[size_t(lo + offset)]) - sy * sy / double(n);
    score.ok = true;
    score.count = int(n);
    // A stretch without variation correlates with nothing.
    if (vx > 0 && vy > 0)
        score.r = std::clamp((sxy - sx * sy / double(n)) / std::sqrt(vx * vy), -1.0, 1.0);
    return score;
}

bool Better(const Score& s, int64_t lag, const Score& best, int64_t bestLag) {
    if (!s.ok) return false;
    if (!best.ok || s.r > best.r) return true;
    return s.r == best.r && std::llabs(lag) < std::llabs(bestLag);
}

}  // namespace

Result AlignLogs(LogData& main, LogData& comparison, const AlignmentSetup& setup, Alignment& out) {
    out = Alignment{};
    const int c = setup.channel;
    if (c < 1 || c > kSlotCount || main.frameCount < 2 || comparison.frameCount < 2) return {};
    if (Result made = MakeColumns(main, {c - 1}); !made) return made;
    if (Result made = MakeColumns(comparison, {c - 1}); !made) return made;
    const float* mainTime = main.values[0].data();
    const float* compTime = comparison.values[0].data();
    const int n = main.frameCount;
    const int m = comparison.frameCount;

    double from = std::isnan(setup.from) ? double(mainTime[0]) : setup.from;
    double to = std::isnan(setup.to) ? double(mainTime[n - 1]) : setup.to;
    from = std::max(from, double(mainTime[0]));
    to = std::min(to, double(mainTime[n - 1]));
    if (!(to > from)) return {};
    const int first = std::max(0, NearestFrameAtTime(main, float(from)));
    const int last = std::max(first, NearestFrameAtTime(main, float(to)));
    // Whole microseconds: frames stamped in milliseconds give a round period (0.01 s, not the
    // 0.009999998 their f32 times differ by), so shifts read as the user expects them.
    double step = std::round(TypicalPeriod(mainTime, first, last) * 1e6) / 1e6;
    if (!(step > 0)) return {};
    if ((to - from) / step >= double(kMostGridPoints))
        step = (to - from) / double(kMostGridPoints - 1);
    const double window = std::isfinite(setup.window) ? std::max(0.0, setup.window) : 0.0;
    const int64_t points = int64_t(std::floor((to - from) / step)) + 1;
    // Shifts beyond both logs' lengths overlap nothing: a huge window costs no more than that.
    const double compSpan = double(compTime[m - 1]) - double(compTime[0]);
    const int64_t reach = std::min<int64_t>(
        std::llround(std::min(window, to - from + std::max(compSpan, 0.0)) / step),
        kMostGridPoints);
    out.step = step;

    const Grid x = Resample(mainTime, main.values[size_t(c - 1)].data(), n, from, step, points);
    // The comparison's grid reaches one window further on either side; main point k meets
    // comparison point k + reach - lag at a shift of lag grid periods.
    const Grid y = Resample(compTime, comparison.values[size_t(c - 1)].data(), m,
                            from - double(reach) * step, step, points + 2 * reach);
    if (!(x.Variance() > 0) || !(y.Variance() > 0)) {
        out.quality = AlignmentQuality::Flat;
        return {};
    }
    // At least half of the main range must overlap the comparison.
    const int minOverlap = int(std::max<int64_t>(16, points / 2));

    // Every shift directly when that is cheap; else the best shift of block means, then every
    // shift within two blocks of it. The block length is about the cube root of the number of
    // shifts, which makes both searches cost about the same.
    int f = 1;
    if (double(points) * double(2 * reach + 1) > kDirectProducts)
        f = std::max(1, int(std::lround(std::cbrt(double(reach)))));
    int64_t lagLo = -reach, lagHi = reach;
    if (f > 1) {
        const int64_t q = reach / f;
        const int phase = int(reach % f);
        const Grid cx = Coarsen(x, f, 0);
        const Grid cy = Coarsen(y, f, phase);
        const int coarseOverlap = std::max(4, int(points / f / 2));
        Score best;
        int64_t bestLag = 0;
        for (int64_t lag = -q; lag <= q; ++lag) {
            const Score s = Correlate(cx, cy, q - lag, coarseOverlap);
            if (Better(s, lag, best, bestLag)) best = s, bestLag = lag;
        }
        if (best.ok) {
            lagLo = std::max(-reach, bestLag * f - 2 * f);
            lagHi = std::min(reach, bestLag * f + 2 * f);
        }
    }
    Score best;
    int64_t bestLag = 0;
    for (int64_t lag = lagLo; lag <= lagHi; ++lag) {
        const Score s = Correlate(x, y, reach - lag, minOverlap);
        if (Better(s, lag, best, bestLag)) best = s, bestLag = lag;
    }
    if (!best.ok) return {};
    out.shift = double(bestLag) * step;
    out.correlation = best.r;
    out.samples = best.count;
    out.quality =
        best.r >= kConfidentCorrelation ? AlignmentQuality::Confident : AlignmentQuality::Weak;
    return {};
}

}  // namespace quillon
