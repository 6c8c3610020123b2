#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "analysis/ChannelStatistics.h"
#include "analysis/CsvExport.h"
#include "analysis/MathChannels.h"
#include "model/ComparisonLog.h"
#include "model/LogColumns.h"
#include "model/LogStore.h"
#include "model/RangeStats.h"
#include "model/ZeroTime.h"
#include "platform/FileSystem.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

using namespace quillon;
using namespace quillon::test;

namespace {

LogData Eager(const std::vector<uint8_t>& bytes) {
    LogData log = Load(bytes);
    ComputeChannelStats(log, 0, log.frameCount, log.stats);
    return log;
}

void ExpectSameColumns(const LogData& want, const LogData& got) {
    ASSERT_EQ(want.frameCount, got.frameCount);
    for (int s = 0; s < kSlotCount; ++s) {
        ASSERT_EQ(want.values[s].size(), got.values[s].size()) << "slot " << s;
        for (size_t i = 0; i < want.values[s].size(); ++i) {
            ASSERT_EQ(Bits(want.values[s][i]), Bits(got.values[s][i])) << s << " " << i;
            ASSERT_EQ(want.status[s][i], got.status[s][i]) << s << " " << i;
        }
    }
}

void ExpectSameStats(const LogData& want, const LogData& got) {
    for (size_t s = 0; s < kSlotCount; ++s)
        ASSERT_EQ(std::memcmp(&want.stats[s], &got.stats[s], sizeof(ChannelStats)), 0) << s;
}

}  // namespace

TEST(LogStore, MatchesTheWholeFileReaderBitForBitMappedAndRead) {
    TempFolder dir;
    const std::vector<uint8_t> bytes = AwkwardLog(1500);
    WriteBytes(dir / "run.dl", bytes);
    const LogData want = Eager(bytes);
    for (bool mapping : {true, false}) {
        SCOPED_TRACE(mapping ? "mapped" : "read");
        LogData log = ReadLazily(dir / "run.dl", mapping, {4, 243});
#ifndef _WIN32  // Windows always reads
        EXPECT_EQ(mapping, log.source.store->Mapped());
#endif
        // The reading pass made the time, the wanted columns and every figure but deviations.
        EXPECT_EQ(std::tuple(log.values[4].size(), log.values[9].size(), log.deviationPending[9]),
                  std::tuple(1501u, 0u, true));
        EXPECT_EQ(std::tuple(log.firstTimestamp, Bits(log.maxRpm), Bits(log.maxMap)),
                  std::tuple(want.firstTimestamp, Bits(want.maxRpm), Bits(want.maxMap)));
        for (int i = 0; i < 1500; ++i)
            ASSERT_EQ(log.offsetMs[size_t(i)], want.offsetMs[size_t(i)]);
        EXPECT_EQ(Bits(ValueAt(log, 9, 1500)), Bits(want.values[9][1500]));  // the partial frame
        // Every Diag slot, 242 to 261, reads status 0; the neighbours keep theirs.
        for (int s = 241; s <= 262; ++s)
            EXPECT_EQ(StatusAt(log, s, 1), s == 241 || s == 262 ? uint32_t(s) : 0u) << s;
        // The deviations worked out on a thread of their own give the same bits.
        bool ready = false;
        BackgroundDeviations beside;
        ASSERT_TRUE(beside.Start(log, [&] { ready = true; }));
        ASSERT_TRUE(beside.Apply(log));
        EXPECT_TRUE(ready);
        EXPECT_TRUE(log.deviationPending.none());
        ExpectSameStats(want, log);
        // Figures that moved while the pass read get no deviations of other frames.
        LogData moved = ReadLazily(dir / "run.dl", mapping, {});
        ASSERT_TRUE(beside.Start(moved, {}));
        ASSERT_TRUE(ComputeLogStats(moved, 333, 1207, true, false).ok());
        EXPECT_FALSE(beside.Apply(moved));
        EXPECT_TRUE(moved.deviationPending[9]);
        // A log cropped at its start: the frames after the crop, not the file's first ones.
        LogData cropped = ReadLazily(dir / "run.dl", mapping, {});
        LogData plain = ReadLazily(dir / "run.dl", mapping, {});
        for (LogData* l : {&cropped, &plain})
            ASSERT_TRUE(SetStartPoint(*l, 100) &&
                        ComputeLogStats(*l, 0, l->frameCount, true, false).ok());
        ASSERT_TRUE(beside.Start(cropped, {}) && beside.Apply(cropped));
        ASSERT_TRUE(EnsureDeviations(plain).ok());
        ExpectSameStats(plain, cropped);
        ASSERT_TRUE(EnsureAllColumns(log));
        ExpectSameColumns(want, log);
        // A range, as Update Stats asks for it.
        LogData ranged = Eager(bytes);
        ComputeChannelStats(ranged, 333, 1207, ranged.stats);
        ASSERT_TRUE(ComputeLogStats(log, 333, 1207).ok());
        ExpectSameStats(ranged, log);
    }
}

// Which columns made from the file the cache drops to make room: each row makes `made` (one
// slot at a time, in order; a slot made again is only used) under a budget of `budget` columns,
// marks `owned` as made here and lets a holder share `held`, then asks for `request`.
struct DropCase {
    const char* name;
    double budget;
    bool status;
    std::vector<int> made;
    int owned, held;
    std::vector<int> request, kept, dropped;
};

const DropCase kDropCases[] = {
    {"WithinTheBudgetNothingIsDropped", 4, false, {3, 4}, 0, 0, {5}, {3, 4, 5}, {}},
    {"TheLeastRecentlyUsedGoesFirst", 3, false, {3, 4, 5}, 0, 0, {6}, {4, 5, 6}, {3}},
    {"AUseMakesAColumnRecentAgain", 3, false, {1, 2, 3, 1}, 0, 0, {4}, {1, 3, 4}, {2}},
    // Two incoming columns of four bytes a frame need two old ones gone, even with half a
    // column to spare.
    {"IncomingColumnsCountWhole", 3, false, {1, 2, 3}, 0, 0, {4, 5}, {3, 4, 5}, {1, 2}},
    {"IncomingCountWholeWithRoomToSpare", 3.5, false, {1, 2, 3}, 0, 0, {4, 5}, {3, 4, 5}, {1, 2}},
    {"ARequestBeyondTheBudgetIsMadeWhole", 1, false, {3, 4}, 0, 0, {4, 5}, {4, 5}, {3}},
    {"AnOwnedColumnIsNeitherDroppedNorCounted", 1, false, {3, 4}, 3, 0, {5}, {3, 5}, {4}},
    {"AColumnAHolderSharesStays", 2, false, {3, 4}, 0, 3, {5}, {3, 5}, {4}},
    {"StatusColumnsCountTowardTheBudget", 4, true, {3, 4}, 0, 0, {5}, {4, 5}, {3}},
};

void PrintTo(const DropCase& c, std::ostream* out) {
    *out << c.name;
}

class ColumnCacheDrop : public testing::TestWithParam<DropCase> {};

TEST_P(ColumnCacheDrop, KeepsWhatTheRulesKeepAndMakesDroppedColumnsAgainTheSame) {
    const DropCase& c = GetParam();
    TempFolder dir;
    const std::vector<uint8_t> bytes = AwkwardLog(300, 0);
    WriteBytes(dir / "run.dl", bytes);
    const LogData want = Eager(bytes);
    LogData log = ReadLazily(dir / "run.dl", true);
    log.cache.SetBudget(size_t(c.budget * 301 * sizeof(float)));
    Column<float> held;
    for (int s : c.made) {
        ASSERT_TRUE(EnsureColumns(log, {s}, c.status));
        if (s == c.owned) MarkOwned(log, s);
        if (s == c.held) held = log.values[s];
    }
    ASSERT_TRUE(EnsureColumns(log, c.request, c.status));
    for (int s : c.kept) {
        ASSERT_EQ(log.values[s].size(), 301u) << "slot " << s;
        for (size_t i = 0; i < 301; ++i)
            ASSERT_EQ(Bits(log.values[s][i]), Bits(want.values[s][i])) << s << " " << i;
    }
    // All are looked at before any is made again, which may drop others.
    for (int s : c.dropped) {
        EXPECT_EQ(log.values[s].size(), 0u) << "slot " << s;
        EXPECT_EQ(log.status[s].size(), 0u) << "slot " << s;
    }
    for (int s : c.dropped) {
        ASSERT_TRUE(EnsureColumns(log, {s}, c.status));
        for (size_t i = 0; i < 301; ++i) {
            ASSERT_EQ(Bits(log.values[s][i]), Bits(want.values[s][i])) << s << " " << i;
            if (c.status) {
                ASSERT_EQ(log.status[s][i], want.status[s][i]) << s << " " << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, ColumnCacheDrop, testing::ValuesIn(kDropCases),
                         [](const testing::TestParamInfo<DropCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(LogStore, EditsSaveAndExportTheSameBytesAsAWholeLogInMemory) {
    TempFolder dir;
    const std::vector<uint8_t> bytes = AwkwardLog(1200, 500);
    WriteBytes(dir / "run.dl", bytes);
    GraphConfiguration config = DefaultGraphConfiguration();
    DefineMath(config, 0, "Boost x2", "[028]*2");
    DefineMath(config, 1, "Sum", "[002]+[003]");
    auto edit = [&](LogData& log, int other) {
        ComputeMathChannels(log, config);
        ASSERT_TRUE(SetZeroTimeAtFrame(log, 40));
        ASSERT_TRUE(SetStartPoint(log, 100, other));
        ASSERT_TRUE(SetEndPoint(log, 800, other));
        ComputeChannelStats(log, 0, log.frameCount, log.stats);
    };
    for (int other : {0, 1000}) {
        SCOPED_TRACE(other);
        LogData want = Eager(bytes);
        edit(want, other);
        LogData log = ReadLazily(dir / "run.dl", true, {9});
        edit(log, other);
        ExpectSameStats(want, log);
        ASSERT_TRUE(WriteDataLog(dir / "want.dl", want));
        ASSERT_TRUE(WriteDataLog(dir / "got.dl", log));
        const std::vector<uint8_t> got = ReadBytes(dir / "got.dl");
        EXPECT_EQ(ReadBytes(dir / "want.dl"), got);
        // Diag statuses are written as the reader gives them, 0; the neighbours' as they were.
        ASSERT_GT(got.size(), kFramesOffset + kFrameSize);
        for (int s = 241; s <= 262; ++s)
            EXPECT_EQ(LoadU32(got.data() + kFramesOffset + 8 * s + 4),
                      s == 241 || s == 262 ? uint32_t(s) : 0u)
                << s;
        ASSERT_TRUE(ExportCsv(want, dir / "want.csv").ok());
        ASSERT_TRUE(ExportCsv(log, dir / "got.csv").ok());
        EXPECT_EQ(ReadBytes(dir / "want.csv"), ReadBytes(dir / "got.csv"));
        ASSERT_TRUE(EnsureAllColumns(log));
        ExpectSameColumns(want, log);
    }
}

TEST(LogStore, MathChannelDeviationsComeFromTheirColumnsNotTheFile) {
    // After opening: math channels, the whole-log figures of what memory holds, then every
    // pending deviation in one pass over the file (the command line's math verb).
    TempFolder dir;
    const std::vector<uint8_t> bytes = AwkwardLog(900);
    WriteBytes(dir / "run.dl", bytes);
    GraphConfiguration config = DefaultGraphConfiguration();
    DefineMath(config, 0, "RPM x2", "[002]*2");
    LogData want = Eager(bytes);
    ComputeMathChannels(want, config);
    ComputeChannelStats(want, 0, want.frameCount, want.stats);
    LogData log = ReadLazily(dir / "run.dl", true);
    ComputeMathChannels(log, config);
    ASSERT_TRUE(ComputeLogStats(log, 0, log.frameCount, false, false).ok());
    ASSERT_TRUE(EnsureDeviations(log).ok());
    ExpectSameStats(want, log);
    EXPECT_GT(log.stats[kFirstMathChannel - 1].standardDeviation, 0.0f);
}

TEST(LogStore, ComparisonPaddingMatchesTheWholeFileReader) {
    TempFolder dir;
    const std::vector<uint8_t> shortLog = AwkwardLog(300, 200), longLog = AwkwardLog(700, 0);
    WriteBytes(dir / "short.dl", shortLog);
    WriteBytes(dir / "long.dl", longLog);
    ReadOptions lazy;
    lazy.allColumns = false;
    for (bool shortMain : {true, false}) {
        const auto& mainBytes = shortMain ? shortLog : longLog;
        const auto& otherBytes = shortMain ? longLog : shortLog;
        // The main log in memory is padded column by column; the lazy one by its source.
        LogData wantMain = Eager(mainBytes), wantOther, main, other;
        const std::string otherPath = dir / (shortMain ? "long.dl" : "short.dl");
        ASSERT_TRUE(LoadComparisonLog(otherPath, wantMain, wantOther).ok());
        ASSERT_TRUE(ReadDataLog(dir / (shortMain ? "short.dl" : "long.dl"), main, {}, lazy).ok());
        ASSERT_TRUE(LoadComparisonLog(otherPath, main, other, {}, lazy).ok());
        ASSERT_TRUE(EnsureAllColumns(main) && EnsureAllColumns(other));
        ExpectSameColumns(wantMain, main);
        // The comparison: its own frames, then markers up to the common length.
        const LogData plain = Eager(otherBytes);
        ASSERT_EQ(other.values[9].size(), 701u);
        for (size_t i = 0; i < 701; ++i) {
            const bool own = i < size_t(plain.frameCount) || shortMain;  // a longer one: its spare
            ASSERT_EQ(Bits(other.values[9][i]), Bits(own ? plain.values[9][i] : kNoValue)) << i;
            ASSERT_EQ(other.status[9][i], own ? plain.status[9][i] : kNoValueStatus) << i;
        }
    }
}

// Another program cuts the file short, rewrites a frame in place or appends: the next column
// request fails, the store reports the change, and nothing more is read or written from it.
TEST(LogStore, AFileChangedWhileOpenIsReportedNotRead) {
    TempFolder dir;
    const std::string path = dir / "run.dl";
    const uint64_t whole = kFramesOffset + 2000 * kFrameSize;
    // Cut short, rewritten in place at the same size, appended to.
    for (uint64_t size : {kFramesOffset + 10 * kFrameSize, whole, whole + kFrameSize}) {
        for (bool mapping : {true, false}) {
            SCOPED_TRACE(std::to_string(size) + (mapping ? ", mapped" : ", read"));
            WriteBytes(path, AwkwardLog(2000, 0));
            LogData log = ReadLazily(path, mapping);
            if (size == whole) {
                const auto modified = std::filesystem::last_write_time(path);
                std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
                file.seekp(std::streamoff(kFramesOffset + 5 * kFrameSize + 8 * 3));
                file.write("\x01\x02\x03\x04", 4);
                file.close();
                std::filesystem::last_write_time(path, modified + std::chrono::seconds(2));
            } else {
                std::filesystem::resize_file(path, size);
            }
            EXPECT_FALSE(EnsureColumns(log, {3}));
            EXPECT_EQ(log.values[3].size(), 0u);
            EXPECT_TRUE(log.source.store->Broken());
            const Result reported = log.source.store->BrokenFailure();
            EXPECT_EQ(std::tuple(reported.cause, reported.path),
                      std::tuple(Cause::FileChanged, path));
            EXPECT_EQ(Bits(ValueAt(log, 3, 1500)), Bits(kNoValue));
            EXPECT_EQ(EnsureDeviations(log).cause, Cause::FileChanged);
            EXPECT_FALSE(WriteDataLog(dir / "copy.dl", log));
            EXPECT_FALSE(std::filesystem::exists(dir / "copy.dl"));
        }
    }
}

#ifndef _WIN32
#endif

// A long pass has the system read ahead from a second thread: its blocks still come in order and
// whole, a stop ends it at once, and a file cut short under it fails the pass.
TEST(LogStore, APassReadingAheadHandsEveryBlockInOrderAndStops) {
    TempFolder dir;
    const std::string path = dir / "run.dl";
    const int frames = 3000;
    for (bool mapping : {true, false}) {
        for (int stopAt : {frames, 640, -1}) {  // read whole, stopped, cut short at frame 320
            SCOPED_TRACE(std::to_string(stopAt) + (mapping ? ", mapped" : ", read"));
            const std::vector<uint8_t> bytes = AwkwardLog(frames, 0);
            WriteBytes(path, bytes);
            LogData log = ReadLazily(path, mapping);
            int next = 0;
            bool same = true;
            const Result r =
                log.source.store->Pass(0, frames, [&](const uint8_t* f, int first, int n) {
                    same = same && first == next && n > 0 && n <= LogStore::kBlockFrames &&
                           std::memcmp(f, bytes.data() + kFramesOffset + size_t(first) * kFrameSize,
                                       size_t(n) * kFrameSize) == 0;
                    next = first + n;
                    if (stopAt < 0 && first == 320)
                        std::filesystem::resize_file(path, kFramesOffset + 310 * kFrameSize);
                    return stopAt != 640 || next < 640;
                });
            EXPECT_TRUE(same);
            if (stopAt < 0) {
                EXPECT_EQ(r.cause, Cause::FileChanged);
                EXPECT_LT(next, frames);
            } else {
                EXPECT_EQ(
                    std::tuple(r.kind, next),
                    std::tuple(stopAt == frames ? ErrorKind::None : ErrorKind::Cancelled, stopAt));
            }
        }
    }
}
