// Math channels: input table entries, values, statuses, figures, order, undefined cases, paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>
#include <limits>
#include <memory>

#include "analysis/MathChannels.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"

namespace quillon {
namespace {

using test::DefineMath;
using Block = EcuConfigBlock;

// Channel c reads c * 10 + frame, every status 7 (the spare element's too).
std::unique_ptr<LogData> MakeLog(int frames) {
    auto log = test::MakeLog(frames, [](int s, int f) { return float((s + 1) * 10 + f); });
    for (auto& status : log->status)
        std::fill(status.data(), status.data() + frames + 1, 7u);
    return log;
}

size_t Entry(int mathIndex) {
    return size_t(kFirstMathInput - 1 + mathIndex);
}
const Column<float>& Values(const LogData& log, int mathIndex) {
    return log.values[kFirstMathChannel - 1 + mathIndex];
}
/// The first n values of math channel index + 1.
std::vector<float> First(const LogData& log, int mathIndex, int n) {
    return {Values(log, mathIndex).data(), Values(log, mathIndex).data() + n};
}
const ChannelStats& Stats(const LogData& log, int mathIndex) {
    return log.stats[kFirstMathChannel - 1 + mathIndex];
}
void ExpectStats(const LogData& log, int mathIndex, float minimum, float maximum, float average) {
    EXPECT_EQ(Stats(log, mathIndex).minimum, minimum) << "math " << mathIndex + 1;
    EXPECT_EQ(Stats(log, mathIndex).maximum, maximum) << "math " << mathIndex + 1;
    EXPECT_EQ(Stats(log, mathIndex).average, average) << "math " << mathIndex + 1;
}

TEST(MathChannels, DefinedChannelGetsEntryAxisValuesStatusesAndStats) {
    auto log = MakeLog(4);
    log->config.Set(Block::InputKind(Entry(0)), 0x18);
    GraphConfiguration config;
    config.axes[368].autoscale = 0;
    DefineMath(config, 0, "Double RPM", "[002]*2");
    ComputeMathChannels(*log, config);

    EXPECT_EQ(log->config.Get(Block::InputName(Entry(0))), "Double RPM");
    EXPECT_EQ(log->config.Get(Block::InputEnabled(Entry(0))), 1u);
    EXPECT_EQ(log->config.Get(Block::InputKind(Entry(0))), 0u);
    EXPECT_EQ(log->config.Get(Block::InputUnit(Entry(0))), "");
    EXPECT_EQ(log->config.Get(Block::InputFormat(Entry(0))), "%.4f");
    EXPECT_EQ(config.axes[368].autoscale, 1);
    EXPECT_EQ(First(*log, 0, 4), (std::vector<float>{40, 42, 44, 46}));
    // Status 0 on every frame; the spare element is not a frame.
    EXPECT_EQ(std::vector<uint32_t>(log->status[368].data(), log->status[368].data() + 5),
              (std::vector<uint32_t>{0, 0, 0, 0, 7}));
    ExpectStats(*log, 0, 40.0f, 46.0f, 43.0f);
}

TEST(MathChannels, DefinitionsRunInOrderAndSeeEarlierResultsOnly) {
    auto log = MakeLog(3);
    GraphConfiguration config;
    DefineMath(config, 0, "Stale", "[370]");     // channel 370 before its own recomputation
    DefineMath(config, 1, "Fresh", "[369]+1");   // channel 369 just computed
    DefineMath(config, 2, "Constant", "2+3*4");  // same value on every frame
    DefineMath(config, 3, "Self", "[372]+1");    // its own previous contents
    ComputeMathChannels(*log, config);
    EXPECT_EQ(First(*log, 0, 3), (std::vector<float>{3700, 3701, 3702}));
    EXPECT_EQ(First(*log, 1, 3), (std::vector<float>{3701, 3702, 3703}));
    EXPECT_EQ(First(*log, 2, 3), (std::vector<float>{14, 14, 14}));
    EXPECT_EQ(First(*log, 3, 3), (std::vector<float>{3721, 3722, 3723}));
    // Recomputing with a changed formula gives statistics of the new values only.
    DefineMath(config, 2, "Constant", "1");
    ComputeMathChannels(*log, config);
    ExpectStats(*log, 2, 1.0f, 1.0f, 1.0f);
}

TEST(MathChannels, FramesAndFormulasWithoutAValue) {
    for (MathEvaluation evaluation : {MathEvaluation::kCompiled, MathEvaluation::kExpandedText}) {
        // A frame without a value keeps the previous result; the first frame has none.
        auto log = MakeLog(4);
        log->values[1][0] = std::numeric_limits<float>::quiet_NaN();
        log->values[1][2] = std::numeric_limits<float>::infinity();
        log->values[5].Allocate(2);  // shorter than the log: missing, never read past
        GraphConfiguration config;
        DefineMath(config, 0, "Guarded", "[002]+1");
        DefineMath(config, 1, "Short", "[006]");
        ComputeMathChannels(*log, config, evaluation);
        EXPECT_EQ(First(*log, 0, 4), (std::vector<float>{kNoValue, 22, 22, 24}));
        EXPECT_EQ(Values(*log, 1)[3], kNoValue);
        // Formulas that cannot be expanded have no value anywhere, yet their entry is enabled.
        for (const char* formula : {"[441]*2", "[000]", "[002", "[2x]", "5]"}) {
            log = MakeLog(3);
            DefineMath(config, 0, "Broken", formula);
            ComputeMathChannels(*log, config, evaluation);
            EXPECT_EQ(First(*log, 0, 3), std::vector<float>(3, kNoValue)) << formula;
            EXPECT_EQ(std::tuple(Stats(*log, 0).minimum, Stats(*log, 0).maximum,
                                 log->config.Get(Block::InputEnabled(Entry(0)))),
                      std::tuple(kNoValue, kNoValue, 1u));
        }
    }
}

TEST(MathChannels, IncompleteDefinitionsEmptyLogsAndMissingColumns) {
    // A definition without a name or formula resets its entry; recorded values stay.
    auto log = MakeLog(2);
    log->config.Set(Block::InputName(Entry(1)), "Recorded");
    log->config.Set(Block::InputEnabled(Entry(1)), 1);
    log->config.Set(Block::InputKind(Entry(1)), 0x08);
    log->config.Set(Block::InputFormat(Entry(1)), "%.1f");
    GraphConfiguration config;
    DefineMath(config, 0, "Named", "");
    DefineMath(config, 1, "", "[002]");
    ComputeMathChannels(*log, config);
    EXPECT_EQ(log->config.Get(Block::InputName(Entry(0))), "Input #71");
    EXPECT_EQ(log->config.Get(Block::InputName(Entry(1))), "Input #72");
    EXPECT_EQ(log->config.Get(Block::InputEnabled(Entry(1))), 0u);
    EXPECT_EQ(log->config.Get(Block::InputKind(Entry(1))), 0x08u);  // kind flags are kept
    EXPECT_EQ(log->config.Get(Block::InputFormat(Entry(1))), "");
    EXPECT_EQ(Values(*log, 1)[1], 3701.0f);

    // No frames and no columns at all.
    log = std::make_unique<LogData>();
    DefineMath(config, 0, "Empty", "[002]+1");
    DefineMath(config, 1, "Constant", "7");
    ComputeMathChannels(*log, config);
    EXPECT_EQ(std::pair(Stats(*log, 0).average, Stats(*log, 1).average), std::pair(0.0f, 0.0f));
    EXPECT_EQ(log->config.Get(Block::InputName(Entry(1))), "Constant");
    // Math slots that were never allocated get them at the log's length.
    log = MakeLog(3);
    log->values[368].Reset();
    log->status[368].Reset();
    ComputeMathChannels(*log, config);
    ASSERT_GE(Values(*log, 0).size(), 3u);
    EXPECT_EQ(Values(*log, 0)[2], 23.0f);
}

}  // namespace
}  // namespace quillon
