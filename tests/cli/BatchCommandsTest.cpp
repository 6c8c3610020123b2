// The verbs that write files: upgrade, zero, crop and export-csv. Their output, exit status and
// files, and that an input file is never changed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "config/GraphConfigurationFile.h"
#include "datalog/DataLogFile.h"
#include "datalog/DataLogFrame.h"
#include "datalog/ZeroTime.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

struct CliRun {
    int status;
    std::string out;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}

class BatchCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("quillon-batch-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_options.frames = 1000;
        m_options.rate = 100.0;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Quoted(const std::string& name) const {
        // Built by appending: "'" + std::string trips a false -Wrestrict warning of GCC 12 at -O3.
        std::string quoted(1, '\'');
        quoted += Path(name);
        quoted += '\'';
        return quoted;
    }

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

    fs::path m_dir;
    SampleLogOptions m_options;
};

}  // namespace

TEST_F(BatchCommandsTest, UpgradeReportsEveryFileInOrderAndFailsIfAnyFailed) {
    for (int layout = 1; layout <= 3; ++layout)
        ASSERT_TRUE(WriteLegacyLog(Path("v" + std::to_string(layout) + ".dl"), layout, m_options));
    ASSERT_TRUE(WriteSampleLog(Path("new.dl"), m_options));
    CliRun run = Cli("upgrade " + Quoted("v1.dl") + " " + Quoted("missing.dl") + " " +
                     Quoted("v3.dl") + " " + Quoted("new.dl"));
    EXPECT_EQ(run.status, 1);
    const std::string converted =
        "-READ: logfile read complete\n-WRITE: logfile writing\n-WRITE: conversion complete\n";
    EXPECT_EQ(run.out, "Converting " + Path("v1.dl") + "\n-VERSION:V1\n" + converted +
                           "Converting " + Path("missing.dl") +
                           "\n-FAILED:There was an error opening the file\n"
                           "Converting " +
                           Path("v3.dl") + "\n-VERSION:V3\n" + converted + "Converting " +
                           Path("new.dl") + "\n-VERSION:V4 - upgrade not required\n");

    run = Cli("upgrade " + Quoted("v2.dl"));
    EXPECT_EQ(run.status, 0) << run.out;
    // Every converted file opens as a V4 log with the sample's frames.
    for (const char* name : {"v1.V4.dl", "v2.V4.dl", "v3.V4.dl"}) {
        LogData log;
        LoadResult r = ReadDataLog(Path(name), log);
        ASSERT_TRUE(r.ok()) << name << ": " << r.message;
        EXPECT_EQ(log.frameCount, 1000);
        EXPECT_EQ(log.firstTimestamp, m_options.startTimestamp);
    }
    EXPECT_EQ(Cli("upgrade").status, 2);
}

TEST_F(BatchCommandsTest, ZeroAtATimeOrWhenAChannelCrossesATrigger) {
    m_options.frames = 3000;  // past the launch
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string before = Read(Path("run.dl"));
    CliRun run = Cli("zero " + Quoted("run.dl") + " --at 2.456");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(Read(Path("run.dl")), before);
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.zeroed.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 2.46f);  // the nearest frame
    EXPECT_NEAR(log.values[0][246], 0.0f, 1e-6);

    // -o names the output; it may not be the input itself.
    run = Cli("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("out.dl"));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(ReadDataLog(Path("out.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 1.0f);
    EXPECT_EQ(Cli("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("./run.dl")).status, 1);
    EXPECT_EQ(Read(Path("run.dl")), before);

    LogData original;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), original).ok());
    const int expected = FindAutoZeroFrame(original, 2, kAutoZeroGreaterThan, 3000.0f);
    ASSERT_GT(expected, 0);
    run = Cli("zero " + Quoted("run.dl") + " --when 2 '>' 3000 -o " + Quoted("when.dl"));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(ReadDataLog(Path("when.dl"), log).ok());
    EXPECT_NEAR(log.values[0][expected], 0.0f, 1e-6);

    run = Cli("zero " + Quoted("run.dl") + " --when 2 '>' 1e9 -o " + Quoted("none.dl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "The condition was not found.")) << run.out;
    EXPECT_FALSE(fs::exists(Path("none.dl")));
    for (const char* bad :
         {"--at 1 --when 2 '>' 5", "", "--when 0 '>' 5", "--when 2 '=' 5", "--at x"})
        EXPECT_EQ(Cli("zero " + Quoted("run.dl") + " " + bad).status, 2) << bad;
    EXPECT_EQ(Cli("zero " + Quoted("missing.dl") + " --at 1").status, 1);
}

TEST_F(BatchCommandsTest, CropKeepsTheFramesBetweenTheNearestFrames) {
    ASSERT_TRUE(WriteSampleDlz(Path("Run.DLZ"), m_options));
    CliRun run = Cli("crop " + Quoted("Run.DLZ") + " --start 1.004 --end 7.994");
    ASSERT_EQ(run.status, 0) << run.out;
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("Run.cropped.dl"), log).ok());
    EXPECT_EQ(log.frameCount, 700);  // frames 100 to 799
    EXPECT_EQ(log.firstTimestamp, SampleFrameTimestamp(m_options, 100));
    EXPECT_EQ(log.values[0][0], 0.0f);
    EXPECT_FALSE(fs::exists(Path("run.dl")));  // decoded in memory only

    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    run = Cli("crop " + Quoted("run.dl") + " --end 3 -o " + Quoted("end.dl"));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(ReadDataLog(Path("end.dl"), log).ok());
    EXPECT_EQ(log.frameCount, 301);
    EXPECT_EQ(Cli("crop " + Quoted("run.dl") + " --start 5 --end 2").status, 1);
    EXPECT_EQ(Cli("crop " + Quoted("run.dl")).status, 2);
}

TEST_F(BatchCommandsTest, ExportCsvWritesEveryFrameBesideTheLogAlsoFromDlz) {
    m_options.frames = 300;
    m_options.rate = 50.0;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string before = Read(Path("run.dl"));
    CliRun run = Cli("export-csv " + Quoted("run.dl"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("run.csv") + "\n");
    EXPECT_EQ(Read(Path("run.dl")), before);

    const auto lines = Split(Read(Path("run.csv")), '\n');
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
        for (int s : {1, 28, 220, 300, 439}) {
            char printed[64];
            std::snprintf(printed, sizeof printed, "%f", double(LoadF32(frame.data() + 8 * s)));
            EXPECT_EQ(cells[size_t(s) + 1], printed) << "frame " << i << " slot " << s;
        }
    }

    // A .dlz gives the same text and leaves no decoded log beside it.
    ASSERT_TRUE(WriteSampleDlz(Path("Packed.DLZ"), m_options));
    run = Cli("export-csv " + Quoted("Packed.DLZ"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("packed.csv") + "\n");
    EXPECT_EQ(Read(Path("packed.csv")), Read(Path("run.csv")));
    EXPECT_FALSE(fs::exists(Path("packed.dl")));

    // Math channels of a .graph file are computed first.
    GraphConfiguration config = DefaultGraphConfiguration();
    std::strcpy(config.math[0].name, "Double RPM");
    std::strcpy(config.math[0].formula, "[002]*2");
    ASSERT_TRUE(WriteGraphConfigurationFile(Path("math.graph"), config));
    run = Cli("export-csv " + Quoted("run.dl") + " --graph " + Quoted("math.graph") + " -o " +
              Quoted("math.csv"));
    ASSERT_EQ(run.status, 0) << run.out;
    const auto math = Split(Read(Path("math.csv")), '\n');
    ASSERT_GT(math.size(), 10u);
    EXPECT_EQ(Split(math[0], ',')[369], "Double RPM");
    for (size_t k = 2; k < 10; ++k) {
        const auto cells = Split(math[k], ',');
        EXPECT_EQ(std::stod(cells[369]), 2 * std::stod(cells[2])) << math[k].substr(0, 40);
    }
}

TEST_F(BatchCommandsTest, ExportCsvReportsBadInputAndOverwritesNothing) {
    m_options.frames = 300;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string log = Quoted("run.dl");
    const std::string before = Read(Path("run.dl"));

    // Never the log itself, whatever -o says.
    CliRun run = Cli("export-csv " + log + " -o " + log);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "is the log itself")) << run.out;
    EXPECT_EQ(Read(Path("run.dl")), before);

    // A log without ".dl" in its name gets ".csv" appended, not itself as the target.
    fs::copy_file(Path("run.dl"), Path("run.log"));
    run = Cli("export-csv " + Quoted("run.log"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, Path("run.log.csv") + "\n");
    EXPECT_EQ(Read(Path("run.log")), before);

    { std::ofstream(Path("junk.dl")) << std::string(20000, 'x'); }
    run = Cli("export-csv " + Quoted("junk.dl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "Magic Number does not match")) << run.out;
    EXPECT_FALSE(fs::exists(Path("junk.csv")));

    { std::ofstream(Path("empty.dlz")); }
    EXPECT_EQ(Cli("export-csv " + Quoted("empty.dlz")).status, 1);

    { std::ofstream(Path("old.csv")) << "old"; }
    run = Cli("export-csv " + log + " --graph " + Quoted("missing.graph") + " -o " +
              Quoted("old.csv"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "There was an error opening the file")) << run.out;
    EXPECT_EQ(Read(Path("old.csv")), "old");

    run = Cli("export-csv " + log + " -o " + Quoted("no/such/folder/x.csv"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.out, "There was an error opening the file")) << run.out;

    EXPECT_EQ(Cli("export-csv").status, 2);
    EXPECT_EQ(Cli("export-csv " + log + " -o").status, 2);
}
