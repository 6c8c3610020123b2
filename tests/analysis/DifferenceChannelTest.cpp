// Main minus comparison: a hand-computed case (interpolation between comparison frames, gaps
// for the no-value marker on either side, the last frame's own time, statistics), and the same
// values as the values pane's interpolation frame by frame over two generated logs.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "analysis/DifferenceChannel.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"

namespace quillon {
namespace {

constexpr int kSlot = 1;  // RPM

/// A log of the given times whose slot kSlot holds the given values (others 0).
LogData MakeLog(const std::vector<float>& times, const std::vector<float>& values) {
    LogData log;
    test::FillLog(
        log, int(times.size()),
        [&](int s, int i) {
            return s == 0 ? times[size_t(i)] : s == kSlot ? values[size_t(i)] : 0;
        },
        kNoValue);
    for (size_t i = 0; i < times.size(); ++i)
        log.status[kSlot][i] = uint32_t(i);
    return log;
}

TEST(DifferenceChannel, MainLessTheComparisonInterpolatedAtEachMainFrame) {
    // Times in quarters and eighths of a second, so that every figure below is exact.
    LogData main = MakeLog({0, 0.25f, 0.5f, 0.75f, 1.0f, 1.25f, 1.5f},
                           {100, 110, 120, 130, kNoValue, 150, 160});
    LogData comparison = MakeLog({0.125f, 0.625f, 1.125f, 1.5f}, {10, 30, kNoValue, 50});
    std::vector<float> d;
    ASSERT_TRUE(DifferenceValues(main, comparison, kSlot, 0, 7, d));
    // 0 s lies before the comparison; 0.25 s is a quarter of the way from 10 to 30 (15), 0.5 s
    // three quarters (25); 0.75 s and 1.25 s lie next to the comparison's marker, 1.0 s is the
    // main log's marker; 1.5 s is the comparison's last frame's own time (50).
    const std::vector<float> expected = {kNoValue, 95, 95, kNoValue, kNoValue, kNoValue, 110};
    EXPECT_EQ(d, expected);
    ASSERT_TRUE(DifferenceValues(main, comparison, kSlot, 1, 3, d));
    EXPECT_EQ(d, (std::vector<float>{95, 95}));
    ASSERT_TRUE(DifferenceValues(main, comparison, kSlot, -5, 99, d));  // cut to the main log
    EXPECT_EQ(d, expected);

    // The values pane's interpolation gives the same: beside a marker there is no value (status
    // 0), on a frame's own time that frame's value and status.
    const InterpolatedValue beside = InterpolateAtTime(comparison, kSlot, 0.75f);
    const InterpolatedValue on = InterpolateAtTime(comparison, kSlot, 0.625f);
    EXPECT_EQ(std::tuple(beside.value, beside.status, on.value, on.status),
              std::tuple(kNoValue, 0u, 30.0f, 1u));
    EXPECT_EQ(InterpolateAtTime(comparison, kSlot, 0.25f).value, 15.0f);

    // Markers and values that are not numbers are left out of the figures.
    d = expected;
    d.push_back(NAN);
    const DifferenceStats s = StatisticsOfDifferences(d);
    EXPECT_EQ(std::tuple(s.count, s.minimum, s.maximum, s.average),
              std::tuple(3, 95.0, 110.0, 100.0));
    EXPECT_DOUBLE_EQ(s.deviation, std::sqrt(50.0));  // (25 + 25 + 100) / 3
    EXPECT_EQ(StatisticsOfDifferences({kNoValue}).count, 0);
}

TEST(DifferenceChannel, EveryFrameAsTheValuesPaneInterpolatesAtTheCursor) {
    // Two generated logs of other rates, the comparison starting 0.37 s later: the walk over the
    // main frames gives bit for bit what a search per frame gives.
    SampleLogOptions o;
    o.frames = 3000;
    const auto main = GenerateSampleColumns(o);
    o.frames = 1700;
    o.rate = 73;
    o.seed = 2;
    const auto comparison = GenerateSampleColumns(o);
    for (int i = 0; i < comparison->frameCount; ++i)
        comparison->values[0][size_t(i)] += 0.37f;
    std::vector<float> d;
    ASSERT_TRUE(DifferenceValues(*main, *comparison, kSlot, 0, main->frameCount, d));
    ASSERT_EQ(d.size(), size_t(main->frameCount));
    int values = 0;
    for (int i = 0; i < main->frameCount; ++i) {
        const float t = main->values[0][size_t(i)];
        const InterpolatedValue c = InterpolateAtTime(*comparison, kSlot, t);
        const float expected =
            c.value == kNoValue ? kNoValue : main->values[size_t(kSlot)][size_t(i)] - c.value;
        ASSERT_EQ(d[size_t(i)], expected) << i;
        values += expected != kNoValue;
    }
    // Before 0.37 s and after the comparison's end (about 23.6 s) there is none.
    EXPECT_EQ(d[0], kNoValue);
    EXPECT_EQ(d[2999], kNoValue);
    EXPECT_GT(values, 2000);
}

}  // namespace
}  // namespace quillon
