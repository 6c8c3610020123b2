// The math verb: math channels of a .graph file computed over a sample log, checked against the
// same computation in process; inactive definitions, and bad input.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "config/GraphConfigurationFile.h"
#include "datalog/ChannelStatistics.h"
#include "datalog/DataLogFile.h"
#include "formula/MathChannels.h"
#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

struct CliRun {
    int status;
    std::string out;
};

std::string Shortest(float value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

class MathCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("quillon-math-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        SampleLogOptions options;
        options.frames = 500;
        ASSERT_TRUE(WriteSampleLog(Log(), options));
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Log() const { return (m_dir / "run.dl").string(); }
    std::string Graph() const { return (m_dir / "setup.graph").string(); }

    static void Define(GraphConfiguration& config, int index, const char* name,
                       const char* formula) {
        std::strncpy(config.math[index].name, name, sizeof config.math[index].name - 1);
        std::strncpy(config.math[index].formula, formula, sizeof config.math[index].formula - 1);
    }

    CliRun Math(const std::string& args) const {
        const std::string command =
            std::string("'") + QUILLON_CLI_PATH + "' math " + args + " 2>&1";
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

TEST_F(MathCommandTest, PrintsDefinedChannelsWithTheirStatistics) {
    GraphConfiguration config = DefaultGraphConfiguration();
    Define(config, 0, "Double RPM", "[002]*2");
    Define(config, 2, "Boost per RPM", "([029]-100)/([002]+1)");
    Define(config, 4, "", "[002]");  // no name: inactive
    ASSERT_TRUE(WriteGraphConfigurationFile(Graph(), config));

    const CliRun run = Math("'" + Log() + "' --graph '" + Graph() + "' --json");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\"frames\":500"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"math\":5"), std::string::npos) << run.out;

    // The same computation in process gives the printed figures.
    LogData log;
    ASSERT_TRUE(ReadDataLog(Log(), log).ok());
    ComputeMathChannels(log, config);
    ComputeChannelStats(log, 0, log.frameCount, log.stats);
    for (int math : {1, 3}) {
        const int c = kFirstMathChannel + math - 1;
        const ChannelStats& s = log.stats[c - 1];
        const std::string row =
            "{\"channel\":" + std::to_string(c) + ",\"math\":" + std::to_string(math) +
            ",\"name\":\"" + config.math[math - 1].name + "\",\"formula\":\"" +
            config.math[math - 1].formula + "\",\"minimum\":" + Shortest(s.minimum) +
            ",\"maximum\":" + Shortest(s.maximum) + ",\"average\":" + Shortest(s.average);
        EXPECT_NE(run.out.find(row), std::string::npos) << row << "\n" << run.out;
    }

    const CliRun text = Math("'" + Log() + "' --graph '" + Graph() + "'");
    ASSERT_EQ(text.status, 0) << text.out;
    EXPECT_NE(text.out.find("369 Double RPM"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("([029]-100)/([002]+1)"), std::string::npos) << text.out;
}

TEST_F(MathCommandTest, NoDefinitionsAndBadInput) {
    ASSERT_TRUE(WriteGraphConfigurationFile(Graph(), DefaultGraphConfiguration()));
    CliRun run = Math("'" + Log() + "' --graph '" + Graph() + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("no math channels defined"), std::string::npos) << run.out;

    run = Math("'" + Log() + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("usage: math LOG --graph FILE.graph [--json]"), std::string::npos);

    run = Math("'" + Log() + "' --graph '" + (m_dir / "missing.graph").string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("There was an error opening the file"), std::string::npos) << run.out;
}

}  // namespace
