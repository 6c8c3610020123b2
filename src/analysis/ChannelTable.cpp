#include "analysis/ChannelTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "model/LogColumns.h"
#include "model/LogStore.h"
#include "format/DataLogFrame.h"

namespace quillon {

namespace {

bool ValidChannel(int c) {
    return c >= 1 && c <= kSlotCount;
}

bool RisingFinite(const std::vector<float>& edges) {
    if (edges.size() < 2 || edges.size() > size_t(ChannelTable::kMaxBins) + 1) return false;
    for (size_t i = 0; i < edges.size(); ++i) {
        if (!std::isfinite(edges[i])) return false;
        if (i > 0 && !(edges[i - 1] < edges[i])) return false;
    }
    return true;
}

void AppendNumber(std::string& out, double v, int decimals) {
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 9));
    if (r.ec == std::errc()) out.append(buffer, r.ptr);
}

/// An edge as typed: the shortest text that reads back as the same f32.
void AppendEdge(std::string& out, float v) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    if (r.ec == std::errc()) out.append(buffer, r.ptr);
}

}  // namespace

std::vector<float> ChannelTable::MakeEdges(double from, double to, double step) {
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step) || step <= 0.0 ||
        to <= from)
        return {};
    const double bins = std::ceil((to - from) / step - 1e-9);
    if (!(bins >= 1.0) || bins > kMaxBins) return {};
    std::vector<float> edges;
    for (int i = 0; i <= int(bins); ++i)
        edges.push_back(float(from + step * i));
    // Steps too small for single precision would give equal edges.
    return RisingFinite(edges) ? edges : std::vector<float>{};
}

ChannelTable::Range ChannelTable::NiceRange(double minimum, double maximum, int bins) {
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || maximum < minimum) return {};
    const double raw = (maximum - minimum) / std::max(bins, 1);
    if (!(raw > 0.0)) return {std::floor(minimum), std::floor(minimum) + 1.0, 1.0};
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * power;
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    Range range{std::floor(minimum / step) * step, std::ceil(maximum / step) * step, step};
    if (range.to <= range.from) range.to = range.from + step;
    return range;
}

std::optional<std::vector<float>> ChannelTable::ParseEdges(std::string_view text) {
    std::vector<float> edges;
    auto separator = [](char c) { return c == ' ' || c == ',' || c == ';' || c == '\t'; };
    size_t i = 0;
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !separator(text[end]))
            ++end;
        std::string_view word = text.substr(i, end - i);
        if (word.front() == '+') word.remove_prefix(1);
        float v = 0.0f;
        const auto r = std::from_chars(word.data(), word.data() + word.size(), v);
        if (word.empty() || r.ec != std::errc() || r.ptr != word.data() + word.size())
            return std::nullopt;
        edges.push_back(v);
        i = end;
    }
    if (!RisingFinite(edges)) return std::nullopt;
    return edges;
}

int ChannelTable::BinOf(const std::vector<float>& edges, float v) {
    if (edges.size() < 2 || !(v >= edges.front() && v <= edges.back())) return -1;
    if (v == edges.back()) return int(edges.size()) - 2;
    return int(std::upper_bound(edges.begin(), edges.end(), v) - edges.begin()) - 1;
}

namespace {

/// Bins the values of one axis without a branch per value. When the edges are spread evenly
/// (made from a step), k = round((v - e0) * bins / (en - e0)) is the bin's lower or upper edge,
/// and one comparison with edge k decides between the two even where rounding meets an edge.
/// That k is always one of the two is checked for the given edges when the binner is made (k
/// never falls as the value rises, so it suffices to check both ends of every bin). When every
/// edge is e0 + k * step without rounding, edge k is computed instead of looked up, and the loop
/// vectorises. Edges that fail the check, such as typed uneven ones, get a binary search of
/// fixed length instead.
class AxisBinner {
public:
    static constexpr int32_t kOutside = -1;

    explicit AxisBinner(const std::vector<float>& edges)
        : m_edges(edges.data()),
          m_bins(int(edges.size()) - 1),
          m_first(edges.front()),
          m_end(edges.back()),
          m_step(edges[1] - edges[0]),
          m_scale(float(double(m_bins) / (double(edges.back()) - double(edges.front())))),
          m_top(float(m_bins)) {
        bool nearest = true;
        for (int i = 0; i < m_bins && nearest; ++i) {
            const float last = i + 1 == m_bins ? m_end : std::nextafter(m_edges[i + 1], -kInfinity);
            nearest = NearestEdge(m_edges[i], m_first, m_scale, m_top) >= i &&
                      NearestEdge(last, m_first, m_scale, m_top) <= i + 1;
        }
        bool computed = nearest;
        for (int k = 0; k <= m_bins && computed; ++k) {
            // Exact in double; a float product that is exact too leaves nothing to round.
            const double product = double(k) * double(m_step);
            computed = double(float(product)) == product &&
                       double(m_first) + product == double(m_edges[k]);
        }
        m_mode = computed ? Mode::Computed : nearest ? Mode::Nearest : Mode::Search;
    }

    /// Each value's bin, or kOutside for a value in no bin and for the no-value marker.
    void Bins(const float* values, size_t n, int32_t* out) const {
        // Copies, which the stores cannot alias, let the loops vectorise.
        const float first = m_first;
        const float end = m_end;
        const float scale = m_scale;
        const float top = m_top;
        const float step = m_step;
        const int32_t lastBin = m_bins - 1;
        const float* edges = m_edges;
        auto nearestEdge = [=](float v) { return NearestEdge(v, first, scale, top); };
        auto inside = [=](float v) { return (v >= first) & (v <= end) & (v != kNoValue); };
        auto held = [=](int32_t b) {
            b = b > 0 ? b : 0;
            return b < lastBin ? b : lastBin;  // the last edge closes the last bin
        };
        switch (m_mode) {
            case Mode::Computed:
                for (size_t j = 0; j < n; ++j) {
                    const float v = values[j];
                    const int32_t k = nearestEdge(v);
                    const int32_t b = held(k - int32_t(v < first + float(k) * step));
                    out[j] = inside(v) ? b : kOutside;
                }
                break;
            case Mode::Nearest:
                for (size_t j = 0; j < n; ++j) {
                    const float v = values[j];
                    const int32_t k = nearestEdge(v);
                    const int32_t b = held(k - int32_t(v < edges[k]));
                    out[j] = inside(v) ? b : kOutside;
                }
                break;
            case Mode::Search:
                for (size_t j = 0; j < n; ++j)
                    out[j] = inside(values[j]) ? Search(values[j]) : kOutside;
                break;
        }
    }

private:
    static constexpr float kInfinity = std::numeric_limits<float>::infinity();
    enum class Mode { Computed, Nearest, Search };

    /// The edge nearest to v if the edges were even, held to 0 .. bins (0 for not a number).
    /// One function for the check and the loops, so that both round alike.
    static int32_t NearestEdge(float v, float first, float scale, float top) {
        float g = (v - first) * scale;
        g = g > 0.0f ? g : 0.0f;
        g = g < top ? g : top;
        // Any rounding that never falls as g rises will do, and g >= 0; the check in the
        // constructor uses this very one.
        return int32_t(g + 0.5f);  // NOLINT(bugprone-incorrect-roundings)
    }
    /// The last of edges 0 .. bins - 1 at or below v: the bin of a value inside.
    int32_t Search(float v) const {
        const float* base = m_edges;
        for (int n = m_bins; n > 1;) {
            const int half = n / 2;
            base = base[half] <= v ? base + half : base;
            n -= half;
        }
        return int32_t(base - m_edges);
    }

    const float* m_edges;
    int m_bins;
    float m_first;
    float m_end;
    float m_step;
    float m_scale;
    float m_top;
    Mode m_mode = Mode::Search;
};

bool UsableZ(float v) {
    return (v != kNoValue) & (std::fabs(v) <= std::numeric_limits<float>::max());
}

/// Each frame's cell, or `skip` for a frame that does not count.
template <bool kHasY, bool kHasFilter>
void CellsOf(size_t n, const int32_t* columns, const int32_t* rows, const float* zs,
             const float* fs, float lower, float upper, int32_t width, int32_t skip, int32_t* out) {
    for (size_t j = 0; j < n; ++j) {
        bool counts = (columns[j] >= 0) & UsableZ(zs[j]);
        int32_t at = columns[j];
        if constexpr (kHasY) {
            counts &= rows[j] >= 0;
            at += rows[j] * width;
        }
        if constexpr (kHasFilter) {
            const float f = fs[j];
            counts &= (f != kNoValue) & (f >= lower) & (f <= upper);
        }
        out[j] = counts ? at : skip;
    }
}

// What a function needs from each frame beyond the count.
enum Needs : unsigned { kNeedSum = 1, kNeedSquares = 2, kNeedMinMax = 4 };

/// Adds each frame's Z value to its cell in frame order. Neighbouring frames mostly share a
/// cell, so the cell's sums stay in registers until the cell changes instead of going through
/// memory once per frame.
/// The table's sums, one element per cell.
struct CellSums {
    int64_t* count;
    double* sum;
    double* squares;
    float* minimum;
    float* maximum;
};

template <unsigned kNeeds>
void Accumulate(size_t n, const int32_t* cells, const float* zs, double shift, const CellSums& c) {
    int32_t at = cells[0];
    int64_t count = c.count[size_t(at)];
    double sum = c.sum[size_t(at)];
    double squares = c.squares[size_t(at)];
    float minimum = c.minimum[size_t(at)];
    float maximum = c.maximum[size_t(at)];
    auto store = [&] {
        c.count[size_t(at)] = count;
        if constexpr ((kNeeds & kNeedSum) != 0) c.sum[size_t(at)] = sum;
        if constexpr ((kNeeds & kNeedSquares) != 0) c.squares[size_t(at)] = squares;
        if constexpr ((kNeeds & kNeedMinMax) != 0) {
            c.minimum[size_t(at)] = minimum;
            c.maximum[size_t(at)] = maximum;
        }
    };
    for (size_t j = 0; j < n; ++j) {
        if (cells[j] != at) {
            store();
            at = cells[j];
            count = c.count[size_t(at)];
            sum = c.sum[size_t(at)];
            squares = c.squares[size_t(at)];
            minimum = c.minimum[size_t(at)];
            maximum = c.maximum[size_t(at)];
        }
        const float z = zs[j];
        ++count;
        if constexpr ((kNeeds & (kNeedSum | kNeedSquares)) != 0) {
            const double d = double(z) - shift;
            sum += d;
            if constexpr ((kNeeds & kNeedSquares) != 0) squares += d * d;
        }
        if constexpr ((kNeeds & kNeedMinMax) != 0) {
            minimum = std::min(minimum, z);
            maximum = std::max(maximum, z);
        }
    }
    store();
}

}  // namespace

bool ChannelTable::Build(LogData& log, int frameCount, const ChannelTableSetup& setup,
                         std::string* error) {
    // Every chosen column must reach the frames read; they are made from the file together. A
    // failed read gives no table rather than an empty one.
    m_readFailure = {};
    if (!EnsureColumns(log, {setup.xChannel - 1, setup.zChannel - 1, setup.yChannel - 1,
                             setup.filterChannel - 1})) {
        const LogStore* store = log.source.store.get();
        m_readFailure = store && store->Broken()
                            ? store->BrokenFailure()
                            : Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForLog,
                                              store ? store->Path() : std::string())
                                  .Figures(uint64_t(std::max(frameCount, 0)));
        Build(ChannelTableColumns{}, ChannelTableSetup{}, nullptr);
        m_setup = setup;
        if (error) error->clear();
        return false;
    }
    size_t n = size_t(std::max(frameCount, 0));
    auto column = [&](int c) -> const float* {
        if (c < 1 || c > kSlotCount) return nullptr;
        const Column<float>& col = log.values[size_t(c - 1)];
        n = std::min(n, col.data() ? col.size() : 0);
        return col.data();
    };
    ChannelTableColumns columns;
    columns.x = column(setup.xChannel);
    columns.z = column(setup.zChannel);
    columns.y = setup.yChannel != 0 ? column(setup.yChannel) : nullptr;
    columns.filter = setup.filterChannel != 0 ? column(setup.filterChannel) : nullptr;
    columns.count = n;
    return Build(columns, setup, error);
}

bool ChannelTable::Build(const ChannelTableColumns& columns, const ChannelTableSetup& setup,
                         std::string* error) {
    m_setup = setup;
    m_columns = m_rows = 0;
    m_total = 0;
    m_count.clear();
    m_sum.clear();
    m_squares.clear();
    m_minimum.clear();
    m_maximum.clear();
    auto fail = [&](const char* text) {
        if (error) *error = text;
        return false;
    };
    const bool hasY = setup.yChannel != 0;
    const bool hasFilter = setup.filterChannel != 0;
    if (!ValidChannel(setup.xChannel) || !ValidChannel(setup.zChannel) ||
        (hasY && !ValidChannel(setup.yChannel)) ||
        (hasFilter && !ValidChannel(setup.filterChannel)))
        return fail("A channel number is out of range.");
    if (!RisingFinite(setup.xEdges) || (hasY && !RisingFinite(setup.yEdges)))
        return fail("The bin edges must be at least two rising numbers.");

    m_columns = int(setup.xEdges.size()) - 1;
    m_rows = hasY ? int(setup.yEdges.size()) - 1 : 1;
    // One cell more than the table holds takes the frames that do not count.
    const size_t cellCount = size_t(m_columns) * size_t(m_rows);
    m_count.assign(cellCount + 1, 0);
    m_sum.assign(cellCount + 1, 0.0);
    m_squares.assign(cellCount + 1, 0.0);
    m_minimum.assign(cellCount + 1, std::numeric_limits<float>::infinity());
    m_maximum.assign(cellCount + 1, -std::numeric_limits<float>::infinity());
    const CellSums sums{m_count.data(), m_sum.data(), m_squares.data(), m_minimum.data(),
                        m_maximum.data()};

    const float* xs = columns.x;
    const float* zs = columns.z;
    const float* ys = hasY ? columns.y : nullptr;
    const float* fs = hasFilter ? columns.filter : nullptr;
    const size_t n = (xs && zs && (!hasY || ys) && (!hasFilter || fs)) ? columns.count : 0;
    if (n == 0) return true;

    // Sums are taken from one value of the channel, which keeps the squares small for channels
    // far from zero.
    m_shift = 0.0;
    for (size_t i = 0; i < n; ++i)
        if (UsableZ(zs[i])) {
            m_shift = zs[i];
            break;
        }

    const AxisBinner bx(setup.xEdges);
    std::optional<AxisBinner> by;
    if (hasY) by.emplace(setup.yEdges);
    auto cellsOf = hasY ? (hasFilter ? CellsOf<true, true> : CellsOf<true, false>)
                        : (hasFilter ? CellsOf<false, true> : CellsOf<false, false>);
    auto accumulate = Accumulate<0>;
    switch (setup.function) {
        case TableFunction::Count:
            break;
        case TableFunction::Average:
            accumulate = Accumulate<kNeedSum>;
            break;
        case TableFunction::Minimum:
        case TableFunction::Maximum:
            accumulate = Accumulate<kNeedMinMax>;
            break;
        case TableFunction::StandardDeviation:
            accumulate = Accumulate<kNeedSum | kNeedSquares>;
            break;
    }

    // Blocks small enough that the bins stay in the first-level cache between the steps.
    constexpr size_t kBlock = 1024;
    int32_t binX[kBlock];
    int32_t binY[kBlock];
    int32_t cells[kBlock];
    const auto binFrames = [&](size_t first, size_t end) {
        for (size_t start = first; start < end; start += kBlock) {
            const size_t m = std::min(kBlock, end - start);
            bx.Bins(xs + start, m, binX);
            if (by) by->Bins(ys + start, m, binY);
            cellsOf(m, binX, binY, zs + start, fs ? fs + start : nullptr, setup.lower, setup.upper,
                    int32_t(m_columns), int32_t(cellCount), cells);
            accumulate(m, cells, zs + start, m_shift, sums);
        }
    };
    if (setup.frames) {
        for (const FrameRun& run : setup.frames->Runs())
            binFrames(std::min(size_t(std::max(run.first, 0)), n),
                      std::min(size_t(std::max(run.end, 0)), n));
    } else {
        binFrames(0, n);
    }
    for (size_t i = 0; i < cellCount; ++i)
        m_total += m_count[i];
    return true;
}

std::optional<double> ChannelTable::Value(int column, int row) const {
    if (column < 0 || column >= m_columns || row < 0 || row >= m_rows) return std::nullopt;
    const size_t at = Index(column, row);
    if (m_count[at] == 0) return std::nullopt;
    const double n = double(m_count[at]);
    switch (m_setup.function) {
        case TableFunction::Average:
            return m_shift + m_sum[at] / n;
        case TableFunction::Minimum:
            return m_minimum[at];
        case TableFunction::Maximum:
            return m_maximum[at];
        case TableFunction::Count:
            return n;
        case TableFunction::StandardDeviation: {
            const double mean = m_sum[at] / n;
            return std::sqrt(std::max(0.0, m_squares[at] / n - mean * mean));
        }
    }
    return std::nullopt;
}

std::optional<double> ChannelTable::MinValue() const {
    std::optional<double> result;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c)
            if (const auto v = Value(c, r); v && (!result || *v < *result)) result = v;
    return result;
}

std::optional<double> ChannelTable::MaxValue() const {
    std::optional<double> result;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c)
            if (const auto v = Value(c, r); v && (!result || *v > *result)) result = v;
    return result;
}

std::string ChannelTable::ToText(char separator, int decimals) const {
    const char* newline = separator == '\t' ? "\n" : "\r\n";
    const int places = m_setup.function == TableFunction::Count ? 0 : decimals;
    std::string out;
    for (int c = 0; c < m_columns; ++c) {
        out += separator;
        AppendEdge(out, m_setup.xEdges[size_t(c)]);
    }
    out += newline;
    for (int r = 0; r < m_rows; ++r) {
        if (m_setup.yChannel != 0) AppendEdge(out, m_setup.yEdges[size_t(r)]);
        for (int c = 0; c < m_columns; ++c) {
            out += separator;
            if (const auto v = Value(c, r)) AppendNumber(out, *v, places);
        }
        out += newline;
    }
    return out;
}

}  // namespace quillon
