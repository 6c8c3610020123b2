#include "datalog/ChannelTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "datalog/LogColumns.h"
#include "datalog/DataLogFrame.h"

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

/// Finds bins fast: a guess from evenly spread edges, then moved by the real edges until the
/// rule holds, so typed, uneven edges give the same bins as a search would.
class Binner {
public:
    explicit Binner(const std::vector<float>& edges)
        : m_edges(edges.data()),
          m_last(int(edges.size()) - 1),
          m_first(edges.front()),
          m_end(edges.back()),
          m_scale(float(double(m_last) / (double(edges.back()) - double(edges.front())))) {}

    int Bin(float v) const {
        if (!(v >= m_first && v <= m_end)) return -1;  // also every value that is not a number
        // The guess may be one bin out where rounding meets an edge; the real edges decide.
        // Written so that a guess that is not a number (edges spanning more than a float holds)
        // starts at bin 0 instead of converting undefined.
        const float g = (v - m_first) * m_scale;
        int b = g > 0.0f ? (g < float(m_last - 1) ? int(g) : m_last - 1) : 0;
        while (b > 0 && v < m_edges[b])
            --b;
        while (b < m_last - 1 && v >= m_edges[b + 1])
            ++b;
        return b;
    }

private:
    const float* m_edges;
    int m_last;  // index of the last edge = number of bins
    float m_first;
    float m_end;
    float m_scale;
};

bool Usable(float v) {
    return v != kNoValue && std::isfinite(v);
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

// What a function needs from each frame beyond the count.
enum Needs : unsigned { kNeedSum = 1, kNeedSquares = 2, kNeedMinMax = 4 };

/// The one pass, made once per combination of the optional channels and of the sums the function
/// needs, so that the loop carries no test or sum it does not use.
template <bool kHasY, bool kHasFilter, unsigned kNeeds, class Cell>
int64_t Pass(size_t n, const float* xs, const float* ys, const float* zs, const float* fs,
             const Binner& bx, const Binner* by, float lower, float upper, Cell* cells,
             size_t width, double shift) {
    int64_t total = 0;
    for (size_t i = 0; i < n; ++i) {
        const float x = xs[i];
        const float z = zs[i];
        if (x == kNoValue || !Usable(z)) continue;
        if constexpr (kHasFilter) {
            const float f = fs[i];
            if (f == kNoValue || !(f >= lower && f <= upper)) continue;
        }
        const int column = bx.Bin(x);
        if (column < 0) continue;
        size_t at = size_t(column);
        if constexpr (kHasY) {
            const float y = ys[i];
            if (y == kNoValue) continue;
            const int row = by->Bin(y);
            if (row < 0) continue;
            at += size_t(row) * width;
        }
        Cell& a = cells[at];
        ++a.count;
        if constexpr ((kNeeds & (kNeedSum | kNeedSquares)) != 0) {
            const double d = double(z) - shift;
            a.sum += d;
            if constexpr ((kNeeds & kNeedSquares) != 0) a.sumSquares += d * d;
        }
        if constexpr ((kNeeds & kNeedMinMax) != 0) {
            a.minimum = std::min(a.minimum, z);
            a.maximum = std::max(a.maximum, z);
        }
        ++total;
    }
    return total;
}

template <unsigned kNeeds, class Cell>
int64_t PassFor(bool hasY, bool hasFilter, size_t n, const float* xs, const float* ys,
                const float* zs, const float* fs, const Binner& bx, const Binner* by, float lo,
                float hi, Cell* cells, size_t width, double shift) {
    if (hasY && hasFilter)
        return Pass<true, true, kNeeds>(n, xs, ys, zs, fs, bx, by, lo, hi, cells, width, shift);
    if (hasY)
        return Pass<true, false, kNeeds>(n, xs, ys, zs, fs, bx, by, lo, hi, cells, width, shift);
    if (hasFilter)
        return Pass<false, true, kNeeds>(n, xs, ys, zs, fs, bx, by, lo, hi, cells, width, shift);
    return Pass<false, false, kNeeds>(n, xs, ys, zs, fs, bx, by, lo, hi, cells, width, shift);
}

}  // namespace

bool ChannelTable::Build(const LogData& log, int frameCount, const ChannelTableSetup& setup,
                         std::string* error) {
    m_setup = setup;
    m_columns = m_rows = 0;
    m_total = 0;
    m_cells.clear();
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
    m_cells.assign(size_t(m_columns) * size_t(m_rows), Accumulator{});

    // Every chosen column must reach the frames read; they are made from the file together.
    std::vector<int> slots = {setup.xChannel - 1, setup.zChannel - 1};
    if (hasY) slots.push_back(setup.yChannel - 1);
    if (hasFilter) slots.push_back(setup.filterChannel - 1);
    EnsureColumns(log, slots);
    size_t n = size_t(std::max(frameCount, 0));
    auto column = [&](int c) -> const float* {
        const Column<float>& col = log.values[size_t(c - 1)];
        n = std::min(n, col.data() ? col.size() : 0);
        return col.data();
    };
    const float* xs = column(setup.xChannel);
    const float* zs = column(setup.zChannel);
    const float* ys = hasY ? column(setup.yChannel) : nullptr;
    const float* fs = hasFilter ? column(setup.filterChannel) : nullptr;
    if (n == 0) return true;

    const Binner bx(setup.xEdges);
    std::optional<Binner> byStorage;
    if (hasY) byStorage.emplace(setup.yEdges);
    const Binner* by = byStorage ? &*byStorage : nullptr;

    // Sums are taken from one value of the channel, which keeps the squares small for channels
    // far from zero.
    double shift = 0.0;
    for (size_t i = 0; i < n; ++i)
        if (Usable(zs[i])) {
            shift = zs[i];
            break;
        }
    for (Accumulator& a : m_cells) {
        a.shift = shift;
        a.minimum = std::numeric_limits<float>::infinity();
        a.maximum = -std::numeric_limits<float>::infinity();
    }
    Accumulator* cells = m_cells.data();
    const size_t width = size_t(m_columns);
    const float lo = setup.lower;
    const float hi = setup.upper;
    switch (setup.function) {
        case TableFunction::Count:
            m_total =
                PassFor<0>(hasY, hasFilter, n, xs, ys, zs, fs, bx, by, lo, hi, cells, width, shift);
            break;
        case TableFunction::Average:
            m_total = PassFor<kNeedSum>(hasY, hasFilter, n, xs, ys, zs, fs, bx, by, lo, hi, cells,
                                        width, shift);
            break;
        case TableFunction::Minimum:
        case TableFunction::Maximum:
            m_total = PassFor<kNeedMinMax>(hasY, hasFilter, n, xs, ys, zs, fs, bx, by, lo, hi,
                                           cells, width, shift);
            break;
        case TableFunction::StandardDeviation:
            m_total = PassFor<kNeedSum | kNeedSquares>(hasY, hasFilter, n, xs, ys, zs, fs, bx, by,
                                                       lo, hi, cells, width, shift);
            break;
    }
    return true;
}

std::optional<double> ChannelTable::Value(int column, int row) const {
    if (column < 0 || column >= m_columns || row < 0 || row >= m_rows) return std::nullopt;
    const Accumulator& a = Cell(column, row);
    if (a.count == 0) return std::nullopt;
    const double n = double(a.count);
    switch (m_setup.function) {
        case TableFunction::Average:
            return a.shift + a.sum / n;
        case TableFunction::Minimum:
            return a.minimum;
        case TableFunction::Maximum:
            return a.maximum;
        case TableFunction::Count:
            return n;
        case TableFunction::StandardDeviation: {
            const double mean = a.sum / n;
            return std::sqrt(std::max(0.0, a.sumSquares / n - mean * mean));
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
