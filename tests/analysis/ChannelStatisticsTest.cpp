#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>

#include "analysis/ChannelStatistics.h"
#include "model/StatsKernel.h"
#include "support/LogFixtures.h"

namespace quillon {
namespace {

using test::MakeLog;
constexpr float kLargest = std::numeric_limits<float>::max();

/// The plain loop, frames outer and slots inner: sums in double, average and deviation rounded
/// to f32 once.
void ReferenceStats(const LogData& log, int first, int end, ChannelStats* out) {
    double sum[kSlotCount];
    for (int s = 0; s < kSlotCount; ++s)
        out[s] = ChannelStats{}, out[s].minimum = kLargest, out[s].maximum = -kLargest, sum[s] = 0;
    for (int i = first; i < end; ++i)
        for (int s = 0; s < kSlotCount; ++s) {
            const volatile float v = log.values[s][size_t(i)];
            if (v < out[s].minimum) out[s].minimum = v;
            if (v > out[s].maximum) out[s].maximum = v;
            sum[s] = sum[s] + double(v);
        }
    const int n = end - first;
    for (int s = 0; s < kSlotCount; ++s) {
        out[s].average = float(sum[s] / double(n));
        double squares = 0.0;
        for (int i = first; i < end; ++i) {
            const volatile double d = double(log.values[s][size_t(i)]) - double(out[s].average);
            const volatile double q = d * d;
            squares = squares + q;
        }
        out[s].standardDeviation = float(std::sqrt(squares / double(n)));
        out[s].startValue = log.values[s][size_t(first)];
        out[s].endValue = log.values[s][size_t(end - 1)];
        out[s].delta = out[s].startValue - out[s].endValue;
        out[s].count = uint32_t(n);
    }
    for (int s = 0; s < kSlotCount; ++s)
        out[s].slope = out[s].delta / out[0].delta;
}

float Time(int i) {
    return float(i) * 0.1f;
}

TEST(ChannelStatistics, MatchesThePlainDoubleSumLoopBitForBit) {
    // Values of every kind over ranges of every alignment: every lane and leftover frame.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> wide(-1e6f, 1e6f);
    std::uniform_int_distribution<int> pick(0, 99);
    const int n = 41;
    auto log = MakeLog(n, [&](int s, int i) {
        if (s == 0) return Time(i);
        const int k = pick(rng);
        if (s % 7 == 3 && k < 5) return std::numeric_limits<float>::quiet_NaN();
        if (k == 5) return std::numeric_limits<float>::infinity();
        if (k == 6) return -std::numeric_limits<float>::infinity();
        if (k == 7) return -0.0f;
        if (k == 8) return kNoValue;
        if (k < 30) return std::ldexp(wide(rng), pick(rng) - 50);
        return wide(rng);
    });
    std::array<ChannelStats, kSlotCount> got;
    ChannelStats want[kSlotCount];
    for (int first = 0; first < 9; ++first)
        for (int end = first + 1; end <= n; end += (end < first + 9 ? 1 : 7)) {
            SCOPED_TRACE(testing::Message() << "[" << first << ", " << end << ")");
            ComputeChannelStats(*log, first, end, got);
            ReferenceStats(*log, first, end, want);
            // Bit for bit, NaN payloads and signs included.
            for (int s = 0; s < kSlotCount; ++s)
                EXPECT_EQ(std::memcmp(&got[size_t(s)], &want[s], sizeof want[s]), 0) << s;
            // The column kernel of memory-held columns and math channels: the same but the slope.
            const ChannelStats column = ColumnStats(log->values[1].data(), first, end);
            EXPECT_EQ(std::memcmp(&column, &want[1], offsetof(ChannelStats, slope)), 0);
            if (HasFailure()) return;
        }
}

TEST(ChannelStatistics, FiguresOfSimpleColumnsNanAndOneFrameRanges) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto log = MakeLog(4, [&](int s, int i) {
        if (s == 0) return Time(i);
        if (s == 1) return float(i + 1);          // 1 2 3 4
        if (s == 2) return -float(i + 1) * 2.0f;  // all negative
        if (s == 3) return 0.0f;
        if (s == 4) return i == 2 ? kNoValue : 1.0f;
        if (s == 5) return i == 0 ? 16777216.0f : 1.0f;  // 2^24 + 1 is not a float
        if (s == 10) return float(i) * 0.25f + 100.0f;   // where f32 sums were already exact
        if (s == 6) return i == 0 ? nan : float(i);      // NaN first
        if (s == 7) return nan;                          // NaN only
        if (s == 8) return i == 3 ? nan : -float(i);     // NaN last
        return float(s * 10 + i);
    });
    ComputeChannelStats(*log, 0, 4, log->stats);
    const auto& st = log->stats;
    EXPECT_EQ(st[0].slope, 1.0f);  // time against itself
    EXPECT_EQ(st[1].average, 2.5f);
    EXPECT_EQ(st[1].standardDeviation, std::sqrt(1.25f));  // population form
    EXPECT_EQ(st[1].delta, -3.0f);
    EXPECT_FLOAT_EQ(st[1].slope, 10.0f);  // -3 / (0 - 0.3)
    EXPECT_EQ(st[2].maximum, -2.0f);      // the true maximum of negative values
    EXPECT_EQ(st[3].standardDeviation, 0.0f);
    EXPECT_EQ(st[3].slope, 0.0f);
    EXPECT_EQ(st[4].minimum, kNoValue);  // the no-value marker is not skipped
    EXPECT_EQ(st[4].average, (kNoValue + 3.0f) / 4.0f);
    // Each added 1 counts (f32 running sums lost them): 16777219 / 4 rounds to 4194305.
    EXPECT_EQ(st[5].average, 4194305.0f);
    // Short logs keep the figures they always had where single-precision sums were exact.
    EXPECT_EQ(std::tuple(st[10].average, st[10].standardDeviation),
              std::tuple(100.375f, std::sqrt(0.078125f)));
    // A NaN changes no minimum or maximum.
    EXPECT_EQ(st[6].minimum, 1.0f);
    EXPECT_EQ(st[6].maximum, 3.0f);
    EXPECT_TRUE(std::isnan(st[6].average));
    EXPECT_EQ(std::pair(st[7].minimum, st[7].maximum), std::pair(kLargest, -kLargest));
    EXPECT_EQ(st[8].minimum, -2.0f);
    EXPECT_EQ(st[8].maximum, 0.0f);
    EXPECT_TRUE(std::isnan(st[8].endValue));

    ComputeChannelStats(*log, 2, 3, log->stats);  // one frame
    EXPECT_EQ(std::tuple(st[9].count, st[9].average, st[9].standardDeviation, st[9].delta),
              std::tuple(1u, 92.0f, 0.0f, 0.0f));
    EXPECT_TRUE(std::isnan(st[9].slope));  // 0 / 0
    EXPECT_TRUE(std::isnan(st[0].slope));
}

TEST(ChannelStatistics, EmptyReversedAndOverlongRangesStayInsideTheColumns) {
    auto log = MakeLog(6, [](int s, int i) { return s == 0 ? Time(i) : float(i); });
    const std::pair<int, int> ranges[] = {{3, 3}, {4, 2}, {6, 9}, {-5, 0}, {100, 200}};
    for (auto [first, end] : ranges) {
        log->stats[9].count = 99;
        ComputeChannelStats(*log, first, end, log->stats);
        for (const ChannelStats& st : log->stats)
            EXPECT_EQ(std::tuple(st.count, st.average, st.slope), std::tuple(0u, 0.0f, 0.0f));
    }
    // A range reaching past the frames is cut at the last frame, never the spare element.
    ComputeChannelStats(*log, -3, 50, log->stats);
    const ChannelStats& st = log->stats[1];
    EXPECT_EQ(std::tuple(st.count, st.endValue, st.maximum), std::tuple(6u, 5.0f, 5.0f));

    // A log without columns.
    LogData empty;
    empty.frameCount = 10;  // claims frames it does not hold
    ComputeChannelStats(empty, 0, 10, empty.stats);
    EXPECT_EQ(empty.stats[0].count, 0u);
}

}  // namespace
}  // namespace quillon
