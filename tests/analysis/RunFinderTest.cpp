// Runs of a generated drag log at 10 Hz, one pass a minute: TPS rises above 90 at 22.3 s of
// each pass (frame 223: 90.72 rounds to 91; frame 222 holds 90) and falls to 0 at the lift, 35.5 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/RunFinder.h"
#include "model/DataLogFile.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

constexpr int kRpm = 2, kMap = 29, kTps = 30;

class RunFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        SampleLogOptions options;
        options.frames = 1500;  // two whole passes and a third cut off by the log's end
        options.rate = 10;
        const std::string path = folder / "runs.dl";
        ASSERT_TRUE(WriteSampleLog(path, options));
        log = test::ReadLazily(path);
    }
    std::vector<quillon::Run> Find(const RunSearch& search) {
        std::vector<quillon::Run> runs;
        EXPECT_TRUE(FindRuns(log, search, runs).ok());
        return runs;
    }
    static RunSearch Throttle() {
        RunSearch s;
        s.start = {kTps, kAutoZeroGreaterThan, 90.0f};
        s.end = {kTps, kAutoZeroLessThan, 20.0f};
        s.maxChannel = kRpm;
        return s;
    }

    test::TempFolder folder;
    LogData log;
};

TEST_F(RunFinderTest, RunsStartAndEndAtTheExactFramesAndTheLastReachesTheLogsEnd) {
    const std::vector<quillon::Run> runs = Find(Throttle());
    ASSERT_EQ(runs.size(), 3u);
    const int first[] = {223, 823, 1423}, last[] = {355, 955, 1499};
    const float* tps = log.values[kTps - 1].data();
    const float* rpm = log.values[kRpm - 1].data();
    for (size_t k = 0; k < 3; ++k) {
        const quillon::Run& r = runs[k];
        EXPECT_EQ(r.firstFrame, first[k]);
        EXPECT_EQ(r.lastFrame, last[k]);
        EXPECT_LE(tps[r.firstFrame - 1], 90.0f);
        EXPECT_GT(tps[r.firstFrame], 90.0f);
        EXPECT_EQ(r.start, log.values[0][size_t(first[k])]);
        EXPECT_EQ(r.end, log.values[0][size_t(last[k])]);
        EXPECT_EQ(r.endFound, k < 2);
        // The maximum covers both end frames.
        EXPECT_EQ(r.maximum, *std::max_element(rpm + r.firstFrame, rpm + r.lastFrame + 1));
    }
    EXPECT_DOUBLE_EQ(runs[0].duration, 13.2);
    EXPECT_DOUBLE_EQ(runs[2].duration, 7.6);
    // Only the columns the conditions and the maximum name were made from the file.
    EXPECT_EQ(log.values[kMap - 1].size(), 0u);
}

TEST_F(RunFinderTest, MinimumDurationNeverHoldingConditionsAndOtherChannels) {
    RunSearch s = Throttle();
    s.minDuration = 13.2f;  // exactly the whole passes' length: kept
    EXPECT_EQ(Find(s).size(), 2u);
    s.minDuration = 13.21f;
    EXPECT_TRUE(Find(s).empty());
    s = Throttle();
    s.start.value = 100.0f;  // TPS never exceeds 100; equal values never match
    EXPECT_TRUE(Find(s).empty());
    // An end condition that never holds: one run from the first start to the last frame.
    s = Throttle();
    s.end.value = -1.0f;
    std::vector<quillon::Run> runs = Find(s);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].lastFrame, 1499);
    EXPECT_FALSE(runs[0].endFound);
    // RPM above 2000 until RPM below 2000, on a channel of its own, no maximum asked for.
    s.start = {kRpm, kAutoZeroGreaterThan, 2000.0f};
    s.end = {kRpm, kAutoZeroLessThan, 2000.0f};
    s.maxChannel = 0;
    runs = Find(s);
    ASSERT_GE(runs.size(), 3u);
    EXPECT_TRUE(std::isnan(runs[0].maximum));
    const float* rpm = log.values[kRpm - 1].data();
    for (const quillon::Run& r : runs) {
        EXPECT_GT(rpm[r.firstFrame], 2000.0f);
        EXPECT_TRUE(std::all_of(rpm + r.firstFrame + 1, rpm + r.lastFrame,
                                [](float v) { return v >= 2000.0f; }));
        EXPECT_TRUE(!r.endFound || rpm[r.lastFrame] < 2000.0f);
    }
}

}  // namespace
}  // namespace quillon
