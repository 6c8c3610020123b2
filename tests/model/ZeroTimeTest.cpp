#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "format/ByteRecord.h"
#include "model/ZeroTime.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"

using namespace quillon;

namespace {

/// A sample log at 100 frames a second.
LogData Make(int frames = 2000, float zeroTime = 0.0f) {
    return test::Load(GenerateV4Bytes({.frames = frames, .rate = 100.0, .zeroTime = zeroTime}));
}

std::vector<float> Times(const LogData& log) {
    return {log.values[0].data(), log.values[0].data() + log.frameCount};
}

// Saving and reopening must give back the same header, times and values.
void ExpectSurvivesReopen(const LogData& log) {
    const LogData again = test::Load(DataLogBytes(log));
    auto key = [](const LogData& l) {
        return std::tuple(l.frameCount, l.firstTimestamp, l.header.Get(DataLogHeader::zeroTime));
    };
    EXPECT_EQ(key(again), key(log));
    EXPECT_EQ(Times(again), Times(log));
    for (int s : {1, 28, 300})
        EXPECT_EQ(0, std::memcmp(again.values[s].data(), log.values[s].data(),
                                 size_t(log.frameCount) * sizeof(float)));
}

}  // namespace

TEST(ZeroTime, MeasuresFromTheFirstTimestampWhateverTheOldZeroTime) {
    LogData twice = Make(), once = Make(), shifted = Make(2000, 4.25f);
    const std::vector<float> unshifted = Times(once);
    ASSERT_TRUE(SetZeroTimeAtFrame(once, 0));  // the first frame of an unshifted log
    EXPECT_EQ(Times(once), unshifted);
    ASSERT_TRUE(SetZeroTimeAtFrame(twice, 700));
    ASSERT_TRUE(SetZeroTimeAtFrame(twice, 1333));
    ASSERT_TRUE(SetZeroTimeAtFrame(once, 1333));
    ASSERT_TRUE(SetZeroTimeAtFrame(shifted, 1333));
    EXPECT_EQ(std::tuple(Times(twice), Times(shifted), twice.header.Get(DataLogHeader::zeroTime)),
              std::tuple(Times(once), Times(once), once.header.Get(DataLogHeader::zeroTime)));
    EXPECT_FLOAT_EQ(once.header.Get(DataLogHeader::zeroTime), 13.33f);
    // The times are those a reopened file gives: (ms - first) / 1000 - zeroTime in double.
    EXPECT_NEAR(once.values[0][1333], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(once.values[0][0], -13.33f);
    ExpectSurvivesReopen(once);
    // At an instant of the other log's axis, between two frames.
    ASSERT_TRUE(SetZeroTimeAtTime(twice, -3.325f));
    EXPECT_FLOAT_EQ(twice.header.Get(DataLogHeader::zeroTime), 10.005f);
    EXPECT_NEAR(twice.values[0][1000], -0.005f, 1e-6);
    ExpectSurvivesReopen(twice);
}

TEST(ZeroTime, LeavesMarkersAloneAndRefusesNonFrames) {
    LogData log = Make(50);
    log.values[0][10] = kNoValue;
    ASSERT_TRUE(SetZeroTimeAtFrame(log, 20));
    EXPECT_EQ(log.values[0][10], kNoValue);
    std::vector<float> before = Times(log);
    EXPECT_FALSE(SetZeroTimeAtFrame(log, -1));
    EXPECT_FALSE(SetZeroTimeAtFrame(log, 50));
    EXPECT_FALSE(SetStartPoint(log, 50));
    EXPECT_FALSE(SetEndPoint(log, -1));
    EXPECT_FALSE(SetZeroTimeAtTime(log, kNoValue));  // a padding frame of the other log
    EXPECT_FALSE(SetZeroTimeAtTime(log, std::numeric_limits<float>::infinity()));
    EXPECT_EQ(Times(log), before);
    EXPECT_EQ(log.frameCount, 50);
    LogData empty;
    EXPECT_FALSE(SetZeroTimeAtFrame(empty, 0));
    EXPECT_FALSE(SetZeroTimeAtTime(empty, 1.0f));
}

TEST(Cropping, StartMovesTheFirstTimestampEndKeepsTimesAndRoomIsPaddedWithMarkers) {
    const SampleLogOptions o{.frames = 2000, .zeroTime = 3.5f};
    LogData log = test::Load(GenerateV4Bytes(o));
    const int k = 1237;
    const float rpmAtK = log.values[1][k];
    const uint32_t statusAtK = log.status[5][k];
    ASSERT_TRUE(SetStartPoint(log, k));
    EXPECT_EQ(std::tuple(log.frameCount, log.values[1].size(), log.firstTimestamp),
              std::tuple(2000 - k, size_t(2000 - k + 1), SampleFrameTimestamp(o, k)));
    EXPECT_EQ(std::tuple(log.header.Get(DataLogHeader::zeroTime), log.values[0][0]),
              std::tuple(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(log.values[0][100], 1.0f);
    EXPECT_EQ(std::tuple(log.values[1][0], log.status[5][0]), std::tuple(rpmAtK, statusAtK));
    ExpectSurvivesReopen(log);

    log = Make(300, 1.0f);
    std::vector<float> before = Times(log);
    ASSERT_TRUE(SetEndPoint(log, 299));  // the last frame keeps every frame
    EXPECT_EQ(Times(log), before);
    ASSERT_TRUE(SetEndPoint(log, 120));
    EXPECT_EQ(Times(log), std::vector<float>(before.begin(), before.begin() + 121));
    EXPECT_EQ(log.header.Get(DataLogHeader::zeroTime), 1.0f);
    ExpectSurvivesReopen(log);

    // Room kept for a comparison sharing the display, padded with markers; it can also grow.
    log = Make(100);
    ASSERT_TRUE(SetStartPoint(log, 60, 100));
    ASSERT_EQ(std::pair(log.frameCount, log.values[7].size() > 100), std::pair(40, true));
    for (size_t i = 40; i <= 100; ++i)
        EXPECT_EQ(std::pair(log.values[7][i], log.status[7][i]),
                  std::pair(kNoValue, kNoValueStatus));
    ASSERT_TRUE(SetEndPoint(log, 9, 150));
    ASSERT_EQ(std::pair(log.frameCount, log.values[0].size() > 150), std::pair(10, true));
    EXPECT_EQ(std::pair(log.values[0][10], log.values[0][150]), std::pair(kNoValue, kNoValue));
    EXPECT_FLOAT_EQ(log.values[0][9], 0.09f);
}

TEST(AutoZero, FindsTheFirstFrameStrictlyBeyondTheTrigger) {
    LogData log = Make(10);
    const int c = 2;  // RPM, slot 1
    const float rpm[10] = {
        900, 950, std::numeric_limits<float>::quiet_NaN(), 3000, 7000, 7000, 2000, 1000, 800, 850};
    std::memcpy(log.values[1].data(), rpm, sizeof rpm);
    const int g = kAutoZeroGreaterThan, l = kAutoZeroLessThan;
    EXPECT_EQ(FindAutoZeroFrame(log, c, g, 2999.0f), 3);
    EXPECT_EQ(FindAutoZeroFrame(log, c, g, 3000.0f), 4);   // equal never matches
    EXPECT_EQ(FindAutoZeroFrame(log, c, g, 7000.0f), -1);  // the maximum
    EXPECT_EQ(FindAutoZeroFrame(log, c, l, 900.0f), 8);
    EXPECT_EQ(FindAutoZeroFrame(log, c, l, 800.0f), -1);
    for (auto [channel, direction] : {std::pair{0, g}, {441, g}, {-5, g}, {c, 2}})
        EXPECT_EQ(FindAutoZeroFrame(log, channel, direction, 0.0f), -1) << channel << direction;

    std::vector<float> before = Times(log);
    EXPECT_EQ(AutoZero(log, c, l, 100.0f), -1);
    EXPECT_EQ(Times(log), before);
    EXPECT_EQ(AutoZero(log, c, g, 5000.0f), 4);
    EXPECT_NEAR(log.values[0][4], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 0.04f);
    LogData empty;
    EXPECT_EQ(AutoZero(empty, c, kAutoZeroGreaterThan, 0.0f), -1);

    // The nearest frame to a time; a tie goes to the earlier frame.
    log = Make(10);  // times 0.00, 0.01, ... 0.09
    EXPECT_EQ(NearestFrameAtTime(log, -5.0f), 0);
    EXPECT_EQ(NearestFrameAtTime(log, 0.0395f), 4);
    EXPECT_EQ(NearestFrameAtTime(log, 100.0f), 9);
    for (int i = 0; i < 10; ++i)  // times a quarter second apart: the halfway point is exact
        log.values[0][size_t(i)] = 0.25f * float(i);
    EXPECT_EQ(NearestFrameAtTime(log, 0.625f), 2);
    EXPECT_EQ(NearestFrameAtTime(empty, 0.0f), -1);
}

TEST(Cropping, FramesAcrossALongGapKeepTheirOwnMillisecondTimestamps) {
    // Ten frames, then a gap of thirty days, then ten more: an f32 time there is only good to
    // a quarter of a second.
    std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = 20, .zeroTime = 1.5f});
    std::vector<uint64_t> stamps;
    for (int i = 0; i < 20; ++i) {
        const uint64_t stamp = 1767282202125ull + uint64_t(i) * 13 + (i >= 10 ? 2592000007ull : 0);
        StoreU64(bytes.data() + kFramesOffset + size_t(i) * kFrameSize, stamp);
        stamps.push_back(stamp);
    }
    auto written = [](const LogData& log) {
        std::vector<uint8_t> out = DataLogBytes(log);
        std::vector<uint64_t> result;
        for (size_t at = kFramesOffset; at + kFrameSize <= out.size(); at += kFrameSize)
            result.push_back(LoadU64(out.data() + at));
        return result;
    };
    LogData log;
    ASSERT_TRUE(ReadDataLogBytes(bytes.data(), bytes.size(), log).ok());
    EXPECT_EQ(written(log), stamps);
    ASSERT_TRUE(SetZeroTimeAtFrame(log, 15));
    EXPECT_EQ(written(log), stamps);
    ASSERT_TRUE(SetStartPoint(log, 12, 30));
    EXPECT_EQ(log.firstTimestamp, stamps[12]);
    EXPECT_EQ(written(log), std::vector<uint64_t>(stamps.begin() + 12, stamps.end()));
    ASSERT_TRUE(SetEndPoint(log, 5));
    EXPECT_EQ(written(log), std::vector<uint64_t>(stamps.begin() + 12, stamps.begin() + 18));
}
