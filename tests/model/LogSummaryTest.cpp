#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "format/ByteRecord.h"
#include "model/DataLogFile.h"
#include "model/LogSummary.h"
#include "model/RangeStats.h"
#include "model/ZeroTime.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

const uint8_t* Frame(const std::vector<uint8_t>& bytes, int i) {
    return bytes.data() + kFramesOffset + kFrameSize * size_t(i);
}

// A sample log whose slots 3 to 6 hold the no-value marker, NaN, infinities and a block of
// nothing but markers, at and around block boundaries; a partial frame follows the last one.
std::vector<uint8_t> LogWithGaps(int frames) {
    SampleLogOptions o;
    o.frames = frames;
    o.trailingBytes = 1200;
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    auto at = [&](int i, int s) { return bytes.data() + kFramesOffset + kFrameSize * i + 8 * s; };
    for (int i : {0, 15, 16, 1023, 1024, frames - 1})
        StoreF32(at(i, 3), kNoValue);
    StoreF32(at(17, 4), std::nanf(""));
    StoreF32(at(300, 5), kInf);
    StoreF32(at(301, 5), -kInf);
    for (int i = 64; i < 128; ++i)
        StoreF32(at(i, 6), kNoValue);
    // A slot holding both zeros and a negative one, at the end of a partial last block.
    StoreF32(at(frames - 2, 7), -0.0f);
    return bytes;
}

// Every block of every level of every slot against a plain computation over the frames.
void ExpectSummaryMatches(const LogSummary& summary, const std::vector<uint8_t>& bytes,
                          int frames) {
    ASSERT_EQ(summary.Frames(), frames);
    for (int l = 0; l < summary.LevelCount(); ++l) {
        const int size = summary.BlockFrames(l);
        ASSERT_EQ(summary.BlockCount(l), size_t((frames + size - 1) / size));
        for (int s = 0; s < kSlotCount; ++s) {
            const SummaryBlock* blocks = summary.Blocks(l, s);
            for (size_t b = 0; b < summary.BlockCount(l); ++b) {
                const int first = int(b) * size, end = std::min(frames, first + size);
                float lo = kInf, hi = -kInf;
                bool gap = false;
                for (int i = first; i < end; ++i) {
                    const float v = LoadF32(Frame(bytes, i) + 8 * s);
                    if (v == kNoValue || !std::isfinite(v)) {
                        gap = true;
                        continue;
                    }
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
                const SummaryBlock& blk = blocks[b];
                SCOPED_TRACE(testing::Message()
                             << "level " << l << " slot " << s << " block " << b);
                ASSERT_EQ(blk.minimum, lo);
                ASSERT_EQ(blk.maximum, hi);
                ASSERT_EQ(summary.HasGap(l, s, b), gap);
                ASSERT_EQ(Bits(blk.first), Bits(LoadF32(Frame(bytes, first) + 8 * s)));
                ASSERT_EQ(Bits(blk.last), Bits(LoadF32(Frame(bytes, end - 1) + 8 * s)));
            }
        }
    }
}

}  // namespace

TEST(LogSummaryTest, OpeningPassSummarisesEveryLevelOfEveryWholeFrame) {
    TempFolder dir;
    const int frames = 2 * 1024 + 37;  // partial last blocks at every level
    const std::vector<uint8_t> bytes = LogWithGaps(frames);
    WriteBytes(dir / "gaps.dl", bytes);
    LogData log = ReadLazily(dir / "gaps.dl");
    const LogSummary* summary = SummaryOf(log);
    ASSERT_NE(summary, nullptr);
    // A log this small keeps the finest level beside the coarse one; the partial trailing frame
    // is not summarised.
    ASSERT_EQ(std::tuple(summary->LevelCount(), summary->BlockFrames(0), summary->BlockFrames(1)),
              std::tuple(2, LogSummary::kFinestBlock, LogSummary::kCoarseBlock));
    ExpectSummaryMatches(*summary, bytes, frames);

    // A summary no longer describes the frames once they move.
    ASSERT_TRUE(SetStartPoint(log, 10));
    EXPECT_EQ(SummaryOf(log), nullptr);
}

TEST(LogSummaryTest, BudgetPicksTheFinerLevelAndFramesMayComeInAnyPieces) {
    const int frames = 3000;
    const std::vector<uint8_t> bytes = LogWithGaps(frames);
    const size_t perBlock = kSlotCount * (sizeof(SummaryBlock) + 1);
    struct Case {
        size_t budget;
        int levels;
        int finest;
    } cases[] = {
        {0, 1, 1024}, {perBlock * 12, 2, 256}, {perBlock * 47, 2, 64}, {perBlock * 188, 2, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.budget);
        LogSummary summary;
        ASSERT_TRUE(summary.Start(frames, c.budget));
        ASSERT_EQ(summary.LevelCount(), c.levels);
        EXPECT_EQ(summary.BlockFrames(0), c.finest);
        // Pieces that cross block boundaries anywhere.
        for (int i = 0, n = 1; i < frames; i += n, n = n * 3 % 97 + 1)
            summary.Add(Frame(bytes, i), i, std::min(n, frames - i));
        ExpectSummaryMatches(summary, bytes, frames);
    }
}

TEST(LogSummaryTest, WholeLogFiguresComeFromTheOpeningPassBitForBit) {
    TempFolder dir;
    const int frames = 3000;
    WriteBytes(dir / "run.dl", LogWithGaps(frames));
    LogData log = ReadLazily(dir / "run.dl");
    ASSERT_TRUE(EnsureDeviations(log).ok());
    const std::array<ChannelStats, kSlotCount> opened = log.stats;
    // A window's figures differ; the whole log's come back without reading the file again (a
    // pass would now find it changed and fail), the deviations computed since included.
    ASSERT_TRUE(ComputeLogStats(log, 700, 1900).ok());
    EXPECT_NE(Bits(log.stats[3].average), Bits(opened[3].average));
    std::filesystem::resize_file(dir / "run.dl", std::filesystem::file_size(dir / "run.dl") - 1);
    ASSERT_TRUE(ComputeLogStats(log, 0, frames).ok());
    for (int s = 1; s < kSlotCount; ++s) {
        const ChannelStats &a = log.stats[size_t(s)], &b = opened[size_t(s)];
        ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "slot " << s;
    }
    EXPECT_FALSE(log.deviationPending.any());
    // Figures over any other range still read their frames.
    EXPECT_FALSE(ComputeLogStats(log, 0, frames - 1).ok());
}
