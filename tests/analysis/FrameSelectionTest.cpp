// The frames a box in the scatter plot selects (edges included, markers never), kept as runs,
// and the table binned over those frames alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/ChannelTable.h"
#include "analysis/FrameSelection.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"

namespace quillon {
namespace {

constexpr int kRpm = 2, kAfr = 9, kMap = 29;

class FrameSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = GenerateSampleColumns({.frames = 3000});
        m_x.assign(m_log->values[kRpm - 1].begin(), m_log->values[kRpm - 1].begin() + 3000);
        m_y.assign(m_log->values[kMap - 1].begin(), m_log->values[kMap - 1].begin() + 3000);
    }
    FrameSelection Select(const ValueBox& box) const {
        return FrameSelection::InBox(m_x.data(), m_y.data(), m_x.size(), box);
    }

    std::unique_ptr<LogData> m_log;
    std::vector<float> m_x, m_y;
};

TEST_F(FrameSelectionTest, ABoxSelectsExactlyTheFramesInsideItEdgesIncluded) {
    // The RPM of two frames as the box's left and right edges, MAP's whole range.
    const float left = m_x[2200], right = m_x[2600];  // 3295 and 4809 RPM
    ASSERT_LT(left, right);
    const auto [low, high] = std::minmax_element(m_y.begin(), m_y.end());
    const ValueBox box{left, right, *low, *high};
    const FrameSelection s = Select(box);
    std::vector<int> inside;
    for (int i = 0; i < 3000; ++i)
        if (m_x[size_t(i)] >= left && m_x[size_t(i)] <= right) inside.push_back(i);
    ASSERT_GT(inside.size(), 10u);
    EXPECT_EQ(s.FrameCount(), int64_t(inside.size()));
    EXPECT_TRUE(s.Contains(2200) && s.Contains(2600));
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(s.Contains(i), std::binary_search(inside.begin(), inside.end(), i)) << i;
    // Each run as long as it can be: a frame left out between any two.
    for (size_t r = 1; r < s.Runs().size(); ++r)
        ASSERT_GT(s.Runs()[r].first, s.Runs()[r - 1].end);

    // The corners in the other order select the same; an edge moved past a frame's value leaves
    // that frame out.
    EXPECT_EQ(Select({right, left, *high, *low}).Runs(), s.Runs());
    EXPECT_FALSE(Select({std::nextafter(left, 1e9f), right, *low, *high}).Contains(2200));
    EXPECT_FALSE(Select({left, right, *low, std::nextafter(m_y[2600], -1e9f)}).Contains(2600));

    // A point with the marker or a value that is not a number is never inside.
    m_x[10] = kNoValue;
    m_y[11] = NAN;
    const FrameSelection all = Select({-1e9, 1e9, -1e9, 1e9});
    EXPECT_EQ(all.FrameCount(), 2998);
    EXPECT_FALSE(all.Contains(10) || all.Contains(11));
    EXPECT_EQ(all.Runs(), (std::vector<FrameRun>{{0, 10}, {12, 3000}}));
    EXPECT_TRUE(Select({1e8, 1e9, 0, 1}).Empty());
}

TEST_F(FrameSelectionTest, TheTableKeptToTheSelectionBinsThoseFramesAlone) {
    // The same table as one over every frame where the others are left out by their marker.
    const FrameSelection s = Select({m_x[2200], m_x[2600], -1e9, 1e9});
    ChannelTableSetup setup;
    setup.xChannel = kRpm;
    setup.xEdges = ChannelTable::MakeEdges(0, 8000, 500);
    setup.yChannel = kMap;
    setup.yEdges = ChannelTable::MakeEdges(0, 300, 25);
    setup.zChannel = kAfr;
    std::vector<float> masked = m_x;
    for (int i = 0; i < 3000; ++i)
        if (!s.Contains(i)) masked[size_t(i)] = kNoValue;
    const float* afr = m_log->values[kAfr - 1].data();
    for (TableFunction f : {TableFunction::Average, TableFunction::Count,
                            TableFunction::StandardDeviation, TableFunction::Maximum}) {
        setup.function = f;
        ChannelTable expected, restricted;
        setup.frames = nullptr;
        ASSERT_TRUE(expected.Build({masked.data(), m_y.data(), afr, nullptr, 3000}, setup));
        setup.frames = std::make_shared<const FrameSelection>(s);
        ASSERT_TRUE(restricted.Build({m_x.data(), m_y.data(), afr, nullptr, 3000}, setup));
        ASSERT_EQ(restricted.TotalCount(), s.FrameCount());
        for (int r = 0; r < expected.Rows(); ++r)
            for (int c = 0; c < expected.Columns(); ++c) {
                ASSERT_EQ(restricted.Count(c, r), expected.Count(c, r));
                ASSERT_EQ(restricted.Value(c, r), expected.Value(c, r));
            }
    }
    // Runs reaching beyond the frames given are cut to them.
    setup.frames =
        std::make_shared<const FrameSelection>(FrameSelection::OfFrames({2998, 2999, 3000, 5000}));
    setup.function = TableFunction::Count;
    ChannelTable cut;
    ASSERT_TRUE(cut.Build({m_x.data(), m_y.data(), afr, nullptr, 3000}, setup));
    EXPECT_EQ(cut.TotalCount(), 2);
}

}  // namespace
}  // namespace quillon
