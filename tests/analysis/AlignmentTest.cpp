// Alignment of a generated drag log with a copy that starts at its frame 123 (1.23 s into the
// run at 100 Hz) and carries other noise: the copy must be moved 1.23 s later.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "analysis/Alignment.h"
#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"

namespace quillon {
namespace {

constexpr int kRpm = 2, kDrift = 14, kConstant = 33;

/// Frames [first, first + count) of a sample log as a log in memory holding the time column and
/// the channels the tests align by; times measure from its own first frame.
std::unique_ptr<LogData> MakeLog(uint32_t seed, int first, int count) {
    SampleLogOptions options;
    options.seed = seed;
    auto log = std::make_unique<LogData>();
    log->frameCount = count;
    for (int slot : {0, kRpm - 1, kDrift - 1, kConstant - 1})
        log->values[size_t(slot)].Allocate(size_t(count) + 1);
    std::vector<uint8_t> frame(kFrameSize);
    const uint64_t origin = SampleFrameTimestamp(options, first);
    for (int i = 0; i <= count; ++i) {
        FillSampleFrame(options, first + i, frame.data());
        log->values[0][size_t(i)] =
            float(double(SampleFrameTimestamp(options, first + i) - origin) / 1000.0);
        for (int c : {kRpm, kDrift, kConstant})
            log->values[size_t(c - 1)][size_t(i)] = LoadF32(frame.data() + 8 * (c - 1));
    }
    return log;
}

Alignment Align(LogData& main, LogData& comparison, int channel, double from = NAN,
                double to = NAN) {
    AlignmentSetup setup;
    setup.channel = channel;
    setup.from = from;
    setup.to = to;
    Alignment found;
    EXPECT_TRUE(AlignLogs(main, comparison, setup, found).ok());
    return found;
}

TEST(AlignmentTest, RecoversAKnownShiftWithinOneFramePeriodEitherWay) {
    // Five minutes: long enough for the coarse search first; 20 s of it for the direct one.
    const auto main = MakeLog(1, 0, 30000);
    const auto copy = MakeLog(2, 123, 30000);
    for (const Alignment& a : {Align(*main, *copy, kRpm), Align(*main, *copy, kRpm, 20.0, 40.0)}) {
        EXPECT_EQ(a.quality, AlignmentQuality::Confident);
        EXPECT_NEAR(a.shift, 1.23, 0.0101);
        EXPECT_GT(a.correlation, 0.95);
        EXPECT_NEAR(a.step, 0.01, 1e-6);
    }
    const Alignment back = Align(*copy, *main, kRpm);
    EXPECT_NEAR(back.shift, -1.23, 0.0101);
}

TEST(AlignmentTest, FlatAndUnrelatedChannelsGiveNoConfidentShift) {
    const auto main = MakeLog(1, 0, 30000);
    const auto copy = MakeLog(2, 123, 30000);
    EXPECT_EQ(Align(*main, *copy, kConstant).quality, AlignmentQuality::Flat);
    // Slow noise of its own in each log.
    const Alignment unrelated = Align(*main, *copy, kDrift);
    EXPECT_EQ(unrelated.quality, AlignmentQuality::Weak);
    EXPECT_LT(unrelated.correlation, kConfidentCorrelation);
    // A window beyond the comparison's reach overlaps nothing.
    const auto late = MakeLog(1, 20000, 1000);
    EXPECT_EQ(Align(*main, *late, kRpm, 0.0, 60.0).quality, AlignmentQuality::TooShort);
}

}  // namespace
}  // namespace quillon
