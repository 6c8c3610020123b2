#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "PlatformSupport.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

using namespace quillon;
namespace fs = std::filesystem;
using namespace quillon::test;

namespace {

uint8_t* FrameAt(std::vector<uint8_t>& bytes, int frame) {
    return bytes.data() + kFramesOffset + kFrameSize * size_t(frame);
}

}  // namespace

TEST(DataLogFile, ReadsEverySlotAndWritesTheSameBytesBack) {
    SampleLogOptions o{.frames = 700};  // several blocks plus a part block
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    LogData log = Load(bytes);
    ASSERT_EQ(std::tuple(log.frameCount, log.values[0].size(), log.firstTimestamp),
              std::tuple(700, size_t(701), o.startTimestamp));
    EXPECT_EQ(std::pair(std::memcmp(log.header.bytes.data(), bytes.data(), 7712),
                        std::memcmp(log.config.bytes.data(), bytes.data() + 7712, 8492)),
              std::pair(0, 0));
    for (int i : {0, 1, 255, 256, 257, 699}) {
        const uint8_t* f = FrameAt(bytes, i);
        EXPECT_EQ(std::pair(log.values[0][size_t(i)], log.status[0][size_t(i)]),
                  std::pair(float(i / 100.0), 0u));
        for (int s = 1; s < kSlotCount; ++s) {
            ASSERT_EQ(std::bit_cast<uint32_t>(log.values[s][size_t(i)]), LoadU32(f + 8 * s))
                << "frame " << i << " slot " << s;
            ASSERT_EQ(log.status[s][size_t(i)], LoadU32(f + 8 * s + 4));
        }
    }
    EXPECT_EQ(DataLogBytes(log), bytes);

    // The file reader's log, written by the file writer, gives the same bytes.
    TempFolder dir;
    ASSERT_TRUE(WriteSampleLog(dir / "a.dl", o));
    LogData fromFile;
    int64_t lastDone = -1, lastTotal = -1;
    Result r = ReadDataLog(dir / "a.dl", fromFile, [&](int64_t done, int64_t total) {
        EXPECT_GE(done, lastDone);
        lastDone = done, lastTotal = total;
    });
    ASSERT_TRUE(r.ok()) << FailureText(r);
    EXPECT_EQ((std::pair{lastDone, lastTotal}), (std::pair<int64_t, int64_t>{700, 700}));
    ASSERT_TRUE(WriteDataLog(dir / "b.dl", fromFile));
    EXPECT_EQ(ReadBytes(dir / "b.dl"), bytes);
}

TEST(DataLogFile, TimesCountFromTheZeroTimeAndRoundBackToTheMillisecond) {
    // Every millisecond: truncating f32 seconds x 1000 would lose many of them.
    SampleLogOptions o{.frames = 20000, .rate = 1000, .zeroTime = 7.25f};
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    LogData log = Load(bytes);
    EXPECT_FLOAT_EQ(log.values[0][0], -7.25f);
    EXPECT_FLOAT_EQ(log.values[0][12347], float(12.347 - 7.25));
    EXPECT_EQ(FrameTimestamp(log, 12347), o.startTimestamp + 12347);
    EXPECT_EQ(DataLogBytes(log), bytes);

    // Two hours in, at 100 Hz, every millisecond still comes back.
    SampleLogOptions late{.frames = 50, .startTimestamp = 1767225600000};
    LogData lateLog = Load(GenerateV4Bytes(late));
    for (int i = 0; i < 50; ++i)
        lateLog.values[0][size_t(i)] = float(7200.0 + i * 0.01);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(FrameTimestamp(lateLog, i), late.startTimestamp + 7200000 + 10 * uint64_t(i));
}

TEST(DataLogFile, FirstTimestampRuleBackwardTimestampsAndDiagStatuses) {
    SampleLogOptions o{.frames = 4, .zeroTime = 1.0f};
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    // A leading frame without a timestamp gets the time of the frame after it.
    StoreU64(FrameAt(bytes, 0), 0);
    // A clock stepping back gives a negative time, not a wrapped enormous one.
    StoreU64(FrameAt(bytes, 3), o.startTimestamp - 500);
    for (int i = 0; i < 4; ++i)
        for (int s = 240; s < 264; ++s)
            StoreU32(FrameAt(bytes, i) + 8 * s + 4, uint32_t(s));
    LogData log = Load(bytes);
    EXPECT_EQ(log.firstTimestamp, o.startTimestamp + 10);
    const float times[] = {-1.0f, -1.0f, 0.01f - 1.0f, -0.51f - 1.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(log.values[0][size_t(i)], times[i]) << i;
    // Diag statuses are zeroed, their neighbours kept.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(log.status[241][size_t(i)], 241u);
        EXPECT_EQ(log.status[262][size_t(i)], 262u);
        for (int s = kFirstDiagSlot; s <= kLastDiagSlot; ++s)
            ASSERT_EQ(log.status[s][size_t(i)], 0u) << s;
    }
}

TEST(DataLogFile, RunningMaximaOfRpmAndMap) {
    // The largest value wins; a NaN takes the maximum, and the next value replaces the NaN.
    std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = 4});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float rpms[] = {9000, nan, 50, 20}, maps[] = {100, 300, 200, nan};
    for (int i = 0; i < 4; ++i) {
        StoreF32(FrameAt(bytes, i) + 8 * kRpmSlot, rpms[i]);
        StoreF32(FrameAt(bytes, i) + 8 * kMapSlot, maps[i]);
    }
    LogData log = Load(bytes);
    EXPECT_EQ(log.maxRpm, 50.0f);
    EXPECT_TRUE(std::isnan(log.maxMap));
    StoreF32(FrameAt(bytes, 3) + 8 * kMapSlot, 250);
    EXPECT_EQ(Load(bytes).maxMap, 300.0f);
}

TEST(DataLogFile, PartialTrailingFrameLandsInTheSpareElement) {
    // The tail: timestamp, RPM value and status, half of the next slot.
    SampleLogOptions o{.frames = 5, .trailingBytes = 20};
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    LogData log = Load(bytes);
    ASSERT_EQ(std::pair(log.frameCount, log.values[1].size()), std::pair(5, size_t(6)));
    const uint8_t* tail = FrameAt(bytes, 5);
    EXPECT_EQ(std::tuple(log.values[kRpmSlot][5], log.status[kRpmSlot][5], log.values[2][5],
                         log.status[2][5], log.values[439][5]),
              std::tuple(LoadF32(tail + 8), LoadU32(tail + 12), LoadF32(tail + 16), 0u, 0.0f));
    // The written file holds the whole frames only.
    bytes.resize(bytes.size() - 20);
    EXPECT_EQ(DataLogBytes(log), bytes);

    // Without a tail the spare element is 0, and a file of just the header has no frames.
    LogData empty = Load(GenerateV4Bytes({.frames = 0}));
    EXPECT_TRUE(empty.Empty());
    for (int s = 0; s < kSlotCount; ++s)
        ASSERT_EQ(std::tuple(empty.values[s].size(), empty.values[s][0], empty.status[s][0]),
                  std::tuple(1u, 0.0f, 0u));
}

TEST(DataLogFile, BadFilesGetDistinctResultsWithClearTextsAndFailedSavesKeepTheOldFile) {
    TempFolder dir;
    std::vector<uint8_t> good = GenerateV4Bytes({.frames = 2});
    LogData log;
    auto read = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteBytes(dir / name, bytes);
        return ReadDataLog(dir / name, log);
    };

    auto magic = good;
    magic[0] ^= 1;
    EXPECT_EQ(read("magic.dl", magic).cause, Cause::BadMagic);

    for (auto [major, minor] : {std::pair{0u, 3u}, {1u, 4u}, {0u, 5u}}) {
        auto version = good;
        StoreU32(version.data() + 4, major);
        StoreU32(version.data() + 8, minor);
        EXPECT_EQ(read("version.dl", version).cause, Cause::BadVersion);
    }
    Result r;
    for (size_t size : {size_t(0), size_t(3), size_t(11), size_t(100), kFramesOffset - 1}) {
        r = read("short.dl", std::vector<uint8_t>(good.begin(), good.begin() + long(size)));
        EXPECT_EQ(r.kind, ErrorKind::Unreadable) << size;
        EXPECT_NE(FailureText(r).find("too short"), std::string::npos) << FailureText(r);
    }

    // Their texts ("No such file", "folder"): the command-line tool's test.
    fs::create_directory(dir / "folder.dl");
    EXPECT_EQ(ReadDataLog(dir / "missing.dl", log).kind, ErrorKind::CannotOpen);
    EXPECT_EQ(ReadDataLog(dir / "folder.dl", log).kind, ErrorKind::Unreadable);
    EXPECT_TRUE(log.Empty());

    // The two steps: a rejected file never reaches the log.
    LogData kept = Load(good);
    DataLogReader reader;
    EXPECT_EQ(reader.Open(dir / "magic.dl").kind, ErrorKind::WrongMagic);
    EXPECT_EQ(reader.ReadInto(kept).kind, ErrorKind::Unreadable);
    EXPECT_EQ(kept.frameCount, 2);

    // A failed save leaves the old file whole and no temporary behind.
    WriteBytes(dir / "log.dl", good);
    kept.frameCount = 5;  // more frames than the columns hold
    EXPECT_EQ(WriteDataLog(dir / "log.dl", kept).cause, Cause::ColumnsShort);
    EXPECT_EQ(ReadBytes(dir / "log.dl"), good);
    kept.frameCount = 2;
    const auto files = std::distance(fs::directory_iterator(dir.path), fs::directory_iterator());
    const Result failed = WriteDataLog(dir / "no-such-folder/log.dl", kept);
    EXPECT_EQ(failed.cause, Cause::CreateFailed);
    EXPECT_FALSE(failed.system.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), files);
}
