// The stats verb: whole-log and time-range statistics, JSON output, bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

struct CliRun {
    int status;
    std::string out;
};

class StatsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("quillon-stats-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        SampleLogOptions options;
        options.frames = 1000;
        options.rate = 100.0;
        ASSERT_TRUE(WriteSampleLog(Log(), options));
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Log() const { return (m_dir / "run.dl").string(); }

    /// Runs the tool with a documents folder of its own; stdout and stderr together.
    CliRun Stats(const std::string& args) const {
        const std::string command = "XDG_DOCUMENTS_DIR='" + (m_dir / "docs").string() + "' '" +
                                    QUILLON_CLI_PATH + "' stats " + args + " 2>&1";
        CliRun run{-1, {}};
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    fs::path m_dir;
};

TEST_F(StatsCommandTest, WholeLogAndTimeRangeUseTheNearestFrames) {
    CliRun all = Stats("'" + Log() + "' --json");
    ASSERT_EQ(all.status, 0) << all.out;
    EXPECT_NE(all.out.find("\"frames\":1000,\"first\":0,\"end\":1000"), std::string::npos);
    // Time runs 0.00 .. 9.99 s: the whole log's time statistics.
    EXPECT_NE(all.out.find("{\"channel\":1,\"name\":\"RTC\",\"unit\":\"sec\",\"minimum\":0,"
                           "\"maximum\":9.99,"),
              std::string::npos)
        << all.out.substr(0, 400);
    EXPECT_NE(all.out.find("\"count\":1000,\"slope\":1}"), std::string::npos);

    // 2.004 s is nearest to frame 200, 4.986 s to frame 499: frames 200 .. 499.
    CliRun range = Stats("'" + Log() + "' --from 2.004 --to 4.986 --json");
    ASSERT_EQ(range.status, 0) << range.out;
    EXPECT_NE(range.out.find("\"first\":200,\"end\":500"), std::string::npos);
    EXPECT_NE(range.out.find("\"minimum\":2,\"maximum\":4.99,"), std::string::npos);
    EXPECT_NE(range.out.find("\"count\":300,"), std::string::npos);

    CliRun text = Stats("'" + Log() + "' --to 1");
    ASSERT_EQ(text.status, 0) << text.out;
    EXPECT_NE(text.out.find("frames 0 to 100 of 1000"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("   1 RTC"), std::string::npos);
}

TEST_F(StatsCommandTest, BadInputEndsWithAMessageAndNonZeroStatus) {
    CliRun missing = Stats("'" + (m_dir / "missing.dl").string() + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("quillon-cli stats:"), std::string::npos);

    const std::string garbage = (m_dir / "garbage.dl").string();
    std::ofstream(garbage, std::ios::binary) << std::string(20000, 'x');
    CliRun bad = Stats("'" + garbage + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("Magic Number does not match"), std::string::npos) << bad.out;

    EXPECT_EQ(Stats("").status, 2);
    EXPECT_EQ(Stats("'" + Log() + "' --from abc").status, 2);
    EXPECT_EQ(Stats("'" + Log() + "' --from nan").status, 2);
    EXPECT_EQ(Stats("'" + Log() + "' --bogus").status, 2);
    // One frame: both times nearest to the same frame.
    EXPECT_NE(Stats("'" + Log() + "' --from 3 --to 3 --json").out.find("\"count\":1,"),
              std::string::npos);
    CliRun reversed = Stats("'" + Log() + "' --from 5 --to 2");
    EXPECT_EQ(reversed.status, 1);
    EXPECT_NE(reversed.out.find("holds no frames"), std::string::npos);
}

}  // namespace
