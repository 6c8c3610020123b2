#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "model/LogColumns.h"
#include "texts/FailureText.h"
#include "model/ComparisonLog.h"
#include "model/DataLogFile.h"
#include "format/DataLogFrame.h"
#include "model/ZeroTime.h"
#include "samplegen/SampleLog.h"
#include "support/TempFolder.h"

using namespace quillon;
namespace fs = std::filesystem;

namespace {

class ComparisonLogTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string WriteLog(const std::string& name, int frames, uint32_t seed, float zeroTime = 0) {
        SampleLogOptions o{.frames = frames, .seed = seed, .zeroTime = zeroTime};
        o.startTimestamp += seed * 1000;
        EXPECT_TRUE(WriteSampleLog(Path(name), o));
        return Path(name);
    }
    void LoadMain(int frames) {
        ASSERT_TRUE(ReadDataLog(WriteLog("main.dl", frames, 1), m_main).ok());
    }
    Result Compare(const std::string& path) {
        return LoadComparisonLog(path, m_main, m_comparison);
    }
    float ZeroTime() const { return m_comparison.header.Get(DataLogHeader::zeroTime); }

    test::TempFolder m_dir;  // made before the logs and removed after them, which hold files open
    LogData m_main, m_comparison;
};

}  // namespace

TEST_F(ComparisonLogTest, TheShorterLogIsPaddedWithMarkersToTheCommonLength) {
    LoadMain(100);
    Result r = Compare(WriteLog("c.dl", 250, 2));
    ASSERT_TRUE(r.ok()) << FailureText(r);
    EXPECT_EQ(m_main.frameCount, 100);
    ASSERT_TRUE(EnsureAllColumns(m_main) && EnsureAllColumns(m_comparison));
    ASSERT_GE(m_main.values[439].size(), size_t(251));
    for (size_t i = 100; i <= 250; ++i)
        ASSERT_EQ(std::tuple(m_main.values[439][i], m_main.status[439][i]),
                  std::tuple(kNoValue, kNoValueStatus));
    for (int s = kFirstDiagSlot; s <= kLastDiagSlot; ++s)  // zeroed as for a main log
        EXPECT_EQ(m_comparison.status[s][10], 0u);

    // A shorter one is lengthened itself; it lines up on its own zero time.
    LogData longMain;
    ASSERT_TRUE(ReadDataLog(WriteLog("long.dl", 300, 9), longMain).ok());
    r = LoadComparisonLog(WriteLog("d.dl", 120, 3, 1.5f), longMain, m_comparison);
    ASSERT_TRUE(r.ok()) << FailureText(r);
    ASSERT_TRUE(EnsureAllColumns(m_comparison));
    ASSERT_GE(m_comparison.values[0].size(), size_t(301));
    EXPECT_FLOAT_EQ(m_comparison.values[0][0], -1.5f);
    for (size_t i = 120; i <= 300; ++i)
        ASSERT_EQ(std::tuple(m_comparison.values[7][i], m_comparison.status[7][i]),
                  std::tuple(kNoValue, kNoValueStatus));
    EXPECT_EQ(longMain.values[0].size(), size_t(301));  // untouched
}

TEST_F(ComparisonLogTest, BadFilesGiveTheirMessagesAndChangeNothing) {
    LoadMain(50);
    ASSERT_TRUE(Compare(WriteLog("good.dl", 80, 4)).ok());
    const float before = m_comparison.values[1][70];
    auto loadBytes = [&](const std::vector<uint8_t>& bytes) {
        return Compare(test::WriteBytes(Path("bad.dl"), bytes));
    };

    // A missing file: DocTest and FileFlowsTest.
    std::vector<uint8_t> bytes = test::ReadBytes(Path("good.dl"));
    bytes[1] ^= 0x40;
    Result r = loadBytes(bytes);
    EXPECT_EQ(std::tuple(r.kind, r.operation),
              std::tuple(ErrorKind::WrongMagic, Operation::OpenComparison));
    bytes[1] ^= 0x40;
    StoreU32(&bytes[8], 3);
    r = loadBytes(bytes);
    EXPECT_EQ(std::tuple(r.kind, r.operation),
              std::tuple(ErrorKind::WrongVersion, Operation::OpenComparison));
    EXPECT_EQ(loadBytes({0x1f, 0xf4, 0x85, 0x00}).cause, Cause::TooShort);

    EXPECT_EQ(std::tuple(m_comparison.frameCount, m_comparison.values[1][70], m_main.frameCount,
                         m_main.values[0][60]),
              std::tuple(80, before, 50, kNoValue));
}

TEST_F(ComparisonLogTest, NudgeMovesTimesByTenthsLeavesMarkersAndSurvivesSaving) {
    LoadMain(200);
    ASSERT_TRUE(Compare(WriteLog("c.dl", 100, 5, 0.25f)).ok());
    std::vector<float> before(m_comparison.values[0].begin(), m_comparison.values[0].end());
    NudgeComparison(m_comparison, 1);
    EXPECT_FLOAT_EQ(ZeroTime(), 0.15f);
    EXPECT_FLOAT_EQ(m_comparison.values[0][50], before[50] + 0.1f);
    EXPECT_EQ(m_comparison.values[0][150], kNoValue);
    NudgeComparison(m_comparison, -4);
    EXPECT_FLOAT_EQ(ZeroTime(), 0.55f);
    EXPECT_NEAR(m_comparison.values[0][50], before[50] - 0.3f, 1e-6);
    EXPECT_EQ(m_comparison.values[0][100], kNoValue);

    // Saved and loaded again, the nudged zero time and the times come back.
    const Result saved = SaveComparisonLog(Path("c.dl"), m_comparison);
    ASSERT_TRUE(saved) << FailureText(saved);
    LogData again;
    ASSERT_TRUE(LoadComparisonLog(Path("c.dl"), m_main, again));
    EXPECT_EQ(std::pair(again.header.Get(DataLogHeader::zeroTime), again.firstTimestamp),
              std::pair(ZeroTime(), m_comparison.firstTimestamp));
    for (size_t i = 0; i < 100; ++i)
        EXPECT_NEAR(again.values[0][i], m_comparison.values[0][i], 2e-6) << i;

    // A failed save is reported and leaves what was there.
    fs::create_directory(Path("folder.dl"));
    const Result failed = SaveComparisonLog(Path("folder.dl"), m_comparison);
    EXPECT_EQ(
        std::tuple(failed.kind, failed.cause, failed.operation),
        std::tuple(ErrorKind::CannotWrite, Cause::TargetNotRegular, Operation::SaveComparison));
    EXPECT_TRUE(fs::is_directory(Path("folder.dl")));
}

TEST_F(ComparisonLogTest, ZeroTimeComesFromTheLogTheCursorIsOn) {
    LoadMain(400);
    ASSERT_TRUE(Compare(WriteLog("c.dl", 300, 8)).ok());
    ASSERT_TRUE(SetZeroTimeAtFrame(m_main, 100));  // main time of frame 250 is 1.5
    ASSERT_TRUE(SetComparisonZeroTime(m_comparison, m_main, 250, false));
    EXPECT_FLOAT_EQ(ZeroTime(), 1.5f);
    EXPECT_NEAR(m_comparison.values[0][150], 0.0f, 1e-6);
    ASSERT_TRUE(SetComparisonZeroTime(m_comparison, m_main, 20, true));
    EXPECT_FLOAT_EQ(ZeroTime(), 0.2f);
    EXPECT_EQ(m_comparison.values[0][350], kNoValue);
    // No frame under the cursor: nothing happens.
    EXPECT_FALSE(SetComparisonZeroTime(m_comparison, m_main, 350, true));
    EXPECT_FALSE(SetComparisonZeroTime(m_comparison, m_main, -1, false));
    EXPECT_FLOAT_EQ(ZeroTime(), 0.2f);
    // Auto zero runs on the comparison's own frames.
    EXPECT_EQ(AutoZero(m_comparison, 1, kAutoZeroGreaterThan, 1.0f), 121);
    EXPECT_FLOAT_EQ(ZeroTime(), 1.21f);

    CloseComparisonLog(m_comparison);
    EXPECT_EQ(std::pair(m_comparison.frameCount, m_comparison.firstTimestamp),
              std::pair(0, uint64_t{0}));
    EXPECT_FALSE(SetComparisonZeroTime(m_comparison, m_main, 5, false));
}
