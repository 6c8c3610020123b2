#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>
#include <tuple>

#include "PlatformSupport.h"
#include "analysis/CsvExport.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using namespace quillon::test;

class CsvExportTest : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir / name; }
    TempFolder m_dir;
};

// "%f" of the C library; a NaN keeps its sign, which the Windows library drops, so that the
// files match on every system.
std::string Printf(float v) {
    if (std::isnan(v)) return std::signbit(v) ? "-nan" : "nan";
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%f", double(v));
    return buffer;
}

std::string Fixed6(float v) {
    char buffer[kMaxFixed6Length];
    return std::string(buffer, FormatFixed6(buffer, v));
}

TEST(CsvNumbers, SameTextAsPrintf) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Signed zeros and NaNs, a tie at the sixth decimal (2^-7, to even) and one rounded up
    // (3 x 2^-7), the ends of the integer path (2^43) and of the float range.
    for (float v : {-0.0f, 0.5f, kNoValue, nan, -nan, inf, -inf, -1e-9f, 0.0078125f, 0.0234375f,
                    8796093022208.0f, 1.7592186e13f, std::numeric_limits<float>::lowest(),
                    std::numeric_limits<float>::denorm_min()})
        EXPECT_EQ(Fixed6(v), Printf(v)) << std::bit_cast<uint32_t>(v);
    EXPECT_EQ(Fixed6(std::numeric_limits<float>::lowest()).size(), kMaxFixed6Length - 1);

    // Random bit patterns cover every exponent evenly; random small values cover the usual.
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> usual(-20000.0f, 20000.0f);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 10; ++i) {
        const float a = std::bit_cast<float>(uint32_t(rng()));
        const float b = usual(rng);
        const float c = float(int(rng() % 2000000) - 1000000) / 1024.0f;  // exact binary ties
        for (float v : {a, b, c})
            if (Fixed6(v) != Printf(v)) {
                ADD_FAILURE() << std::bit_cast<uint32_t>(v) << ": " << Fixed6(v)
                              << " != " << Printf(v);
                ++mismatches;
            }
    }
}

TEST(CsvHeader, NamesAndUnitsOfEveryChannelQuotedOnlyWhenTheyWouldBreakTheLine) {
    EcuConfigBlock config{};
    const auto lines = Split(CsvHeaderLines(config), '\n');
    ASSERT_EQ(lines.size(), 3u);  // two lines, each ended by a line feed
    EXPECT_EQ(lines[2], "");
    const auto names = Split(lines[0], ','), units = Split(lines[1], ',');
    ASSERT_EQ(names.size(), 441u);
    ASSERT_EQ(units.size(), 441u);
    // An unnamed AT table has an empty name; the unit line starts with a comma.
    EXPECT_EQ(std::tuple(names[0], names[1], names[267], names[440]),
              std::tuple("Point Number", "RTC", "", "Output #62"));
    EXPECT_EQ(std::tuple(units[0], units[4], units[15]), std::tuple("", "[%]", ""));
    EXPECT_EQ(units[31],
              "[\xB0"
              "F]");

    config = EcuConfigBlock{};
    config.Set(EcuConfigBlock::InputName(0), "Shock FL");
    config.Set(EcuConfigBlock::InputName(1), "A,B");
    config.Set(EcuConfigBlock::InputName(2), "say \"hi\"");
    config.Set(EcuConfigBlock::InputName(3), "two\nlines");
    config.Set(EcuConfigBlock::InputUnit(4), "m,s");
    config.Set(EcuConfigBlock::InputFormat(4), "%.1f");
    const std::string text = CsvHeaderLines(config);
    EXPECT_NE(text.find(",Shock FL,\"A,B\",\"say \"\"hi\"\"\",\"two\nlines\",Input #5,"),
              std::string::npos);
    EXPECT_NE(text.find(",\"[m,s]\","), std::string::npos);
}

TEST_F(CsvExportTest, DataLinesHoldPointNumberAndEverySlot) {
    auto log = MakeLog(3, [](int s, int i) {
        if (s == 0) return float(i) * 0.01f;
        if (s == 1) return 0.5f;
        if (s == 2 && i == 1) return kNoValue;
        return float(s) * 1000.0f + float(i) / 3.0f;
    });  // the spare element, 777, is never exported
    log->config.Set(EcuConfigBlock::InputName(0), "Shock FL");
    const std::string path = Path("run.csv");
    const Result result = ExportCsv(*log, path);
    ASSERT_TRUE(result.ok()) << FailureText(result);

    const std::string text = ReadText(path);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.substr(0, CsvHeaderLines(log->config).size()), CsvHeaderLines(log->config));
    const auto lines = Split(text, '\n');
    ASSERT_EQ(lines.size(), 6u);  // 2 header lines, 3 frames, nothing after the last line feed
    EXPECT_EQ(lines[5], "");
    for (int i = 0; i < 3; ++i) {
        const auto cells = Split(lines[size_t(i) + 2], ',');
        ASSERT_EQ(cells.size(), 441u);
        EXPECT_EQ(cells[0], std::to_string(i + 1));
        for (int s = 0; s < kSlotCount; ++s)
            EXPECT_EQ(cells[size_t(s) + 1], Printf(log->values[s][size_t(i)])) << s;
    }
    EXPECT_EQ(lines[2].substr(0, 32), "1,0.000000,0.500000,2000.000000,");
    EXPECT_EQ(Split(lines[3], ',')[3], "-999999.000000");
}

// The progress steps the window shows: ExportUpgradeTest.
TEST_F(CsvExportTest, EmptyLogsGiveTheTwoHeaderLines) {
    auto empty = MakeLog(0, [](int, int) { return 0.0f; });
    ASSERT_TRUE(ExportCsv(*empty, Path("p.csv")).ok());
    EXPECT_EQ(ReadText(Path("p.csv")), CsvHeaderLines(EcuConfigBlock{}));
    // A frame count that the columns do not back is cut to what they hold.
    LogData hollow;
    hollow.frameCount = 1000;
    ASSERT_TRUE(ExportCsv(hollow, Path("p.csv")).ok());
    EXPECT_EQ(ReadText(Path("p.csv")), CsvHeaderLines(hollow.config));
}

// The writer's own failures and signals: AtomicFileTest. An export reports as an export.
TEST_F(CsvExportTest, FailuresLeaveTheOldFileAndSayWhy) {
    auto log = MakeLog(2, [](int, int) { return 1.0f; });
    const Result result = ExportCsv(*log, Path("missing/run.csv"));
    EXPECT_EQ(std::tuple(result.kind, result.cause, result.operation),
              std::tuple(ErrorKind::CannotOpen, Cause::CreateFailed, Operation::ExportCsv));
    const std::string path = Path("run.csv");
    { std::ofstream(path) << "old"; }
    ASSERT_TRUE(ExportCsv(*log, path).ok());
    EXPECT_EQ(ReadText(path).substr(0, 13), "Point Number,");
    EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"run.csv"}));
}

TEST(CsvDefaultName, OnlyTheFileNameChanges) {
    EXPECT_EQ(DefaultCsvPath("c:\\logs\\run.dl"), "c:\\logs\\run.csv");
    EXPECT_EQ(DefaultCsvPath("/home/u/RUN.DL"), "/home/u/RUN.csv");
    // Without ".dl" or ".DL" the proposal would be the log itself.
    EXPECT_EQ(DefaultCsvPath("/home/u/run.Dl"), "/home/u/run.Dl.csv");
    EXPECT_EQ(DefaultCsvPath("/home/u.dl/run.log"), "/home/u.dl/run.log.csv");
    EXPECT_EQ(DefaultCsvPath("/data/old.dl.logs/run.dl"), "/data/old.dl.logs/run.csv");
    EXPECT_EQ(DefaultCsvPath("/data/x.dl.dl"), "/data/x.csv.csv");
    EXPECT_EQ(DefaultCsvPath("run.dl"), "run.csv");
    EXPECT_EQ(DefaultCsvPath(""), "");
}

}  // namespace
}  // namespace quillon
