#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/ChannelTable.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"

namespace quillon {
namespace {

constexpr int kRpm = 2, kAfr = 9, kMap = 29, kTps = 30;

/// A log whose columns hold fill(channel, frame).
std::unique_ptr<LogData> MakeLog(int n, const std::function<float(int, int)>& fill) {
    return test::MakeLog(n, [&](int s, int i) { return fill(s + 1, i); });
}

/// The plain reference: a linear walk of the edges per value, two passes for the deviation.
std::optional<double> Reference(const LogData& log, const ChannelTableSetup& s, int column,
                                int row) {
    auto bin = [](const std::vector<float>& e, float v) {
        for (size_t i = 0; i + 1 < e.size(); ++i)
            if (e[i] <= v && (v < e[i + 1] || (i + 2 == e.size() && v == e[i + 1]))) return int(i);
        return -1;
    };
    std::vector<double> z;
    for (int i = 0; i < log.frameCount; ++i) {
        auto v = [&](int c) { return log.values[size_t(c - 1)][size_t(i)]; };
        bool skip = v(s.xChannel) == kNoValue || v(s.zChannel) == kNoValue ||
                    !std::isfinite(v(s.zChannel)) || bin(s.xEdges, v(s.xChannel)) != column;
        if (s.yChannel)
            skip = skip || v(s.yChannel) == kNoValue || bin(s.yEdges, v(s.yChannel)) != row;
        if (s.filterChannel) {
            const float f = v(s.filterChannel);
            skip = skip || f == kNoValue || f < s.lower || f > s.upper;
        }
        if (!skip) z.push_back(v(s.zChannel));
    }
    if (z.empty()) return std::nullopt;
    double sum = 0, lo = z[0], hi = z[0];
    for (double v : z)
        sum += v, lo = std::min(lo, v), hi = std::max(hi, v);
    const double mean = sum / double(z.size());
    double squares = 0;
    for (double v : z)
        squares += (v - mean) * (v - mean);
    switch (s.function) {
        case TableFunction::Average:
            return mean;
        case TableFunction::Minimum:
            return lo;
        case TableFunction::Maximum:
            return hi;
        case TableFunction::Count:
            return double(z.size());
        case TableFunction::StandardDeviation:
            return std::sqrt(squares / double(z.size()));
    }
    return std::nullopt;
}

ChannelTableSetup MakeSetup(int x, std::vector<float> xEdges, int z, TableFunction f, int y = 0,
                            std::vector<float> yEdges = {}, int filter = 0, float lower = 0,
                            float upper = 0) {
    ChannelTableSetup s;
    s.xChannel = x;
    s.xEdges = std::move(xEdges);
    s.zChannel = z;
    s.function = f;
    s.yChannel = y;
    s.yEdges = std::move(yEdges);
    s.filterChannel = filter;
    s.lower = lower;
    s.upper = upper;
    return s;
}

void ExpectMatchesReference(LogData& log, const ChannelTableSetup& setup) {
    ChannelTable table;
    ASSERT_TRUE(table.Build(log, log.frameCount, setup));
    int64_t total = 0;
    for (int r = 0; r < table.Rows(); ++r)
        for (int c = 0; c < table.Columns(); ++c) {
            const auto want = Reference(log, setup, c, r);
            const auto got = table.Value(c, r);
            ASSERT_EQ(want.has_value(), got.has_value()) << c << "," << r;
            if (want) {
                EXPECT_NEAR(*got, *want, 1e-6 * (1 + std::abs(*want))) << c << "," << r;
            }
            total += table.Count(c, r);
        }
    EXPECT_EQ(total, table.TotalCount());
}

TEST(ChannelTableTest, ValueOnAnEdgeBelongsToTheBinAboveAndTheLastEdgeClosesTheLastBin) {
    const std::vector<float> edges{0, 10, 20, 30};
    const float values[] = {-0.001f, 0, 9.999f, 10, 19.99f, 20, 29.99f, 30, 30.001f, NAN, INFINITY};
    const int bins[] = {-1, 0, 0, 1, 1, 2, 2, 2, -1, -1, -1};
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(ChannelTable::BinOf(edges, values[i]), bins[i]) << values[i];

    // The build follows the same rule on every edge and the floats beside it, for exact, rounded,
    // typed uneven edges and edges whose span no float holds.
    for (std::vector<float> e :
         {edges, ChannelTable::MakeEdges(0.1, 1.0, 0.1), ChannelTable::MakeEdges(1e6, 1e6 + 1, 0.1),
          std::vector<float>{0, 1, 10, 29.5f, 30}, std::vector<float>{-3e38f, 0, 3e38f}}) {
        std::vector<float> probe(std::begin(values), std::end(values));
        for (float edge : e)
            for (float v : {std::nextafter(edge, -INFINITY), edge, std::nextafter(edge, INFINITY)})
                probe.push_back(v);
        auto log = MakeLog(int(probe.size()), [&](int, int i) { return probe[size_t(i)]; });
        ChannelTable table;
        ASSERT_TRUE(
            table.Build(*log, log->frameCount, MakeSetup(kRpm, e, kRpm, TableFunction::Count)));
        int64_t total = 0;
        for (int c = 0; c < table.Columns(); ++c) {
            int64_t want = 0;
            for (float v : probe)
                want += ChannelTable::BinOf(e, v) == c;
            EXPECT_EQ(table.Count(c, 0), want) << e[1] << " " << c;
            total += want;
        }
        EXPECT_EQ(table.TotalCount(), total);
    }
}

TEST(ChannelTableTest, EveryFunctionMatchesAPlainReferenceOnASampleLog) {
    const auto log = GenerateSampleColumns({.frames = 5000, .seed = 7});
    ChannelTableSetup setup =
        MakeSetup(kRpm, ChannelTable::MakeEdges(0, 8000, 500), kAfr, TableFunction::Average, kMap,
                  *ChannelTable::ParseEdges("0 20, 40;60 80 100 150 250"));
    for (TableFunction f : {TableFunction::Average, TableFunction::Minimum, TableFunction::Maximum,
                            TableFunction::Count, TableFunction::StandardDeviation}) {
        setup.function = f;
        ExpectMatchesReference(*log, setup);
    }
    // One row, and a filter on a fourth channel.
    setup.function = TableFunction::Average;
    setup.filterChannel = kTps;
    setup.lower = 20;
    setup.upper = 80;
    ExpectMatchesReference(*log, setup);
    setup.yChannel = 0;
    ExpectMatchesReference(*log, setup);
}

TEST(ChannelTableTest, FramesWithTheNoValueMarkerInAnyChosenChannelAreSkipped) {
    // Edges reach below the marker, so a marker that were binned would show.
    auto log = MakeLog(50, [](int c, int i) {
        if (i % 5 == 0 && c == kRpm) return kNoValue;
        if (i % 7 == 0 && c == kMap) return kNoValue;
        if (i % 11 == 0 && c == kAfr) return kNoValue;
        if (i % 13 == 0 && c == kTps) return kNoValue;
        return float(i);
    });
    const ChannelTableSetup setup = MakeSetup(kRpm, {-2e6f, 0, 100}, kAfr, TableFunction::Count,
                                              kMap, {-2e6f, 100}, kTps, -2e6f, 100);
    ChannelTable table;
    ASSERT_TRUE(table.Build(*log, log->frameCount, setup));
    int64_t want = 0;
    for (int i = 0; i < 50; ++i)
        want += i % 5 && i % 7 && i % 11 && i % 13;
    EXPECT_EQ(table.Count(0, 0), 0);
    EXPECT_EQ(table.Count(1, 0), want);
    ExpectMatchesReference(*log, setup);
}

TEST(ChannelTableTest, FilterBoundsAreInclusive) {
    auto log = MakeLog(10, [](int c, int i) { return c == kTps ? float(i) : 1.0f; });
    ChannelTable table;
    // Frames 3 to 6; bounds equal to each other keep the frame exactly on them.
    for (auto [lower, upper, count] : {std::tuple{3.0f, 6.0f, 4}, {4.0f, 4.0f, 1}}) {
        ASSERT_TRUE(table.Build(
            *log, 10,
            MakeSetup(kRpm, {0, 2}, kAfr, TableFunction::Count, 0, {}, kTps, lower, upper)));
        EXPECT_EQ(table.Count(0, 0), count) << lower;
    }
}

TEST(ChannelTableTest, TextLeavesEmptyCellsEmpty) {
    // x: 0, 1, 2, 3; y: 0 or 10; z = x * 10 + y.
    auto log = MakeLog(4, [](int c, int i) {
        if (c == kRpm) return float(i);
        if (c == kMap) return i < 2 ? 0.0f : 10.0f;
        return float(i * 10 + (i < 2 ? 0 : 10));
    });
    ChannelTable table;
    ASSERT_TRUE(table.Build(
        *log, 4, MakeSetup(kRpm, {0, 2, 4, 6}, kAfr, TableFunction::Average, kMap, {0, 5, 10.5f})));
    EXPECT_FALSE(table.Value(2, 0).has_value());
    EXPECT_EQ(table.ToText('\t', 2), "\t0\t2\t4\n0\t5.00\t\t\n5\t\t35.00\t\n");
    EXPECT_EQ(table.ToText(',', 1), ",0,2,4\r\n0,5.0,,\r\n5,,35.0,\r\n");
    EXPECT_EQ(std::pair(*table.MinValue(), *table.MaxValue()), std::pair(5.0, 35.0));
    // Fewer frames than the log holds are binned when asked; a bad channel fails and clears.
    ASSERT_TRUE(table.Build(*log, 1, table.Setup()));
    EXPECT_EQ(table.TotalCount(), 1);
    std::string error;
    EXPECT_FALSE(table.Build(*log, 4, MakeSetup(441, {0, 1}, kAfr, TableFunction::Count), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(table.Columns(), 0);
}

TEST(ChannelTableTest, EdgesAreMadeOrRefused) {
    EXPECT_EQ(ChannelTable::MakeEdges(0, 1000, 250), (std::vector<float>{0, 250, 500, 750, 1000}));
    // A range that is not a whole number of steps is still covered.
    EXPECT_EQ(ChannelTable::MakeEdges(0, 900, 250), (std::vector<float>{0, 250, 500, 750, 1000}));
    // Ranges that are a whole number of steps, though double arithmetic makes them a hair more:
    // (0.8 - 0.2) / 0.1 is 6.000000000000001 and 2.1 / 0.3 is 7.000000000000001.
    EXPECT_EQ(ChannelTable::MakeEdges(0.2, 0.8, 0.1),
              (std::vector<float>{0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}));
    EXPECT_EQ(ChannelTable::MakeEdges(0, 2.1, 0.3),
              (std::vector<float>{0, 0.3f, 0.6f, 0.9f, 1.2f, 1.5f, 1.8f, 2.1f}));
    EXPECT_TRUE(ChannelTable::MakeEdges(0, 10, 0).empty());
    EXPECT_TRUE(ChannelTable::MakeEdges(10, 0, 1).empty());
    EXPECT_TRUE(ChannelTable::MakeEdges(0, 1e9, 1).empty());
    EXPECT_TRUE(ChannelTable::MakeEdges(1e8, 1e8 + 10, 1).empty());  // equal in single precision
    EXPECT_EQ(*ChannelTable::ParseEdges(" -5, +2.5\t1e1 "), (std::vector<float>{-5, 2.5f, 10}));
    const auto rpm = ChannelTable::NiceRange(812, 7390, 16);
    EXPECT_EQ(rpm.step, 500);
    EXPECT_EQ(rpm.from, 500);
    EXPECT_EQ(rpm.to, 7500);
    EXPECT_EQ(ChannelTable::NiceRange(14.7, 14.7, 16).step, 1);  // one value: one bin around it
    for (const char* bad : {"", "5", "1 1", "3 2", "1 x", "1 2a", "1 nan", "1 inf"})
        EXPECT_FALSE(ChannelTable::ParseEdges(bad).has_value()) << bad;
}

}  // namespace
}  // namespace quillon
