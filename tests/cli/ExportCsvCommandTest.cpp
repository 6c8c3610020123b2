// The export-csv verb: default and chosen names, .dlz input, math channels from a .graph file,
// and bad input.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/GraphConfigurationFile.h"
#include "datalog/DataLogFrame.h"
#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

struct CliRun {
    int status;
    std::string out;
};

class ExportCsvCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("quillon-export-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_options.frames = 300;
        m_options.rate = 50.0;
        ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    /// Runs the tool; stdout and stderr together.
    static CliRun Cli(const std::string& args) {
        const std::string command = std::string("'") + QUILLON_CLI_PATH + "' " + args + " 2>&1";
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
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> Split(const std::string& text, char separator) {
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
            out.push_back(text.substr(start, at - start));
        out.push_back(text.substr(start));
        return out;
    }
    static std::string Printf(float v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%f", double(v));
        return buffer;
    }

    fs::path m_dir;
    SampleLogOptions m_options;
};

TEST_F(ExportCsvCommandTest, WritesEveryFrameBesideTheLog) {
    const std::string log = Path("run.dl");
    const std::string before = Read(log);
    const CliRun run = Cli("export-csv '" + log + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("run.csv") + "\n");
    EXPECT_EQ(Read(log), before);

    const std::string text = Read(Path("run.csv"));
    const auto lines = Split(text, '\n');
    ASSERT_EQ(lines.size(), size_t(m_options.frames) + 3);  // + names, units, empty tail
    EXPECT_EQ(lines.back(), "");
    for (size_t k = 0; k + 1 < lines.size(); ++k)
        ASSERT_EQ(Split(lines[k], ',').size(), 441u) << "line " << k + 1;

    // The values are the generated frames' values as "%f"; the first column is the time.
    std::array<uint8_t, kFrameSize> frame;
    for (int i : {0, 1, 150, m_options.frames - 1}) {
        FillSampleFrame(m_options, i, frame.data());
        const auto cells = Split(lines[size_t(i) + 2], ',');
        EXPECT_EQ(cells[0], std::to_string(i + 1));
        EXPECT_NEAR(std::stod(cells[1]), i / m_options.rate, 1e-6) << i;
        for (int s : {1, 28, 220, 300, 439})
            EXPECT_EQ(cells[size_t(s) + 1], Printf(LoadF32(frame.data() + 8 * size_t(s))))
                << "frame " << i << " slot " << s;
    }
}

TEST_F(ExportCsvCommandTest, CompressedLogGivesTheSameTextAndLeavesNothingBeside) {
    ASSERT_TRUE(WriteSampleDlz(Path("Packed.DLZ"), m_options));
    ASSERT_EQ(Cli("export-csv '" + Path("run.dl") + "' -o '" + Path("plain.csv") + "'").status, 0);
    const CliRun run = Cli("export-csv '" + Path("Packed.DLZ") + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("packed.csv") + "\n");
    EXPECT_EQ(Read(Path("packed.csv")), Read(Path("plain.csv")));
    EXPECT_FALSE(fs::exists(Path("packed.dl")));
}

TEST_F(ExportCsvCommandTest, GraphFileMathChannelsAreComputedFirst) {
    GraphConfiguration config = DefaultGraphConfiguration();
    std::strcpy(config.math[0].name, "Double RPM");
    std::strcpy(config.math[0].formula, "[002]*2");
    ASSERT_TRUE(WriteGraphConfigurationFile(Path("math.graph"), config));

    const CliRun run = Cli("export-csv '" + Path("run.dl") + "' --graph '" + Path("math.graph") +
                           "' -o '" + Path("math.csv") + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto lines = Split(Read(Path("math.csv")), '\n');
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(Split(lines[0], ',')[369], "Double RPM");
    for (size_t k = 2; k < 10; ++k) {
        const auto cells = Split(lines[k], ',');
        EXPECT_EQ(std::stod(cells[369]), 2 * std::stod(cells[2])) << lines[k].substr(0, 40);
    }
}

TEST_F(ExportCsvCommandTest, BadInputIsReportedAndNothingIsOverwritten) {
    const std::string log = Path("run.dl");
    const std::string before = Read(log);

    // Never the log itself, whatever -o says.
    CliRun run = Cli("export-csv '" + log + "' -o '" + log + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("is the log itself"), std::string::npos) << run.out;
    EXPECT_EQ(Read(log), before);

    // A log without ".dl" in its name gets ".csv" appended, not itself as the target.
    fs::copy_file(log, Path("run.log"));
    run = Cli("export-csv '" + Path("run.log") + "'");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("run.log.csv") + "\n");
    EXPECT_EQ(Read(Path("run.log")), before);

    { std::ofstream(Path("junk.dl")) << std::string(20000, 'x'); }
    run = Cli("export-csv '" + Path("junk.dl") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Magic Number does not match"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(Path("junk.csv")));

    { std::ofstream(Path("empty.dlz")); }
    run = Cli("export-csv '" + Path("empty.dlz") + "'");
    EXPECT_EQ(run.status, 1) << run.out;

    { std::ofstream(Path("old.csv")) << "old"; }
    run = Cli("export-csv '" + log + "' --graph '" + Path("missing.graph") + "' -o '" +
              Path("old.csv") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("There was an error opening the file"), std::string::npos) << run.out;
    EXPECT_EQ(Read(Path("old.csv")), "old");

    run = Cli("export-csv '" + log + "' -o '" + Path("no/such/folder/x.csv") + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("There was an error opening the file"), std::string::npos) << run.out;

    EXPECT_EQ(Cli("export-csv").status, 2);
    EXPECT_EQ(Cli("export-csv '" + log + "' -o").status, 2);
}

}  // namespace
