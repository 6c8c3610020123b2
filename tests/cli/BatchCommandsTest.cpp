// The batch verbs upgrade, zero and crop: their output, exit status and files, and that an
// input file is never changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "datalog/DataLogFile.h"
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
    static std::vector<uint8_t> Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string Quoted(const std::string& name) const {
        // Built by appending: "'" + std::string trips a false -Wrestrict warning of GCC 12 at -O3.
        std::string quoted(1, '\'');
        quoted += Path(name);
        quoted += '\'';
        return quoted;
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
    const std::string expected =
        "Converting " + Path("v1.dl") +
        "\n-VERSION:V1\n-READ: logfile read complete\n-WRITE: logfile writing\n"
        "-WRITE: conversion complete\n"
        "Converting " +
        Path("missing.dl") +
        "\n-FAILED:There was an error opening the file\n"
        "Converting " +
        Path("v3.dl") +
        "\n-VERSION:V3\n-READ: logfile read complete\n-WRITE: logfile writing\n"
        "-WRITE: conversion complete\n"
        "Converting " +
        Path("new.dl") + "\n-VERSION:V4 - upgrade not required\n";
    EXPECT_EQ(run.out, expected);

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

TEST_F(BatchCommandsTest, ZeroAtATimeWritesANewFileBesideTheInput) {
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::vector<uint8_t> before = Bytes(Path("run.dl"));
    CliRun run = Cli("zero " + Quoted("run.dl") + " --at 2.456");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(Bytes(Path("run.dl")), before);
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.zeroed.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 2.46f);  // the nearest frame
    EXPECT_NEAR(log.values[0][246], 0.0f, 1e-6);

    // -o names the output; it may not be the input itself.
    run = Cli("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("out.dl"));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(ReadDataLog(Path("out.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 1.0f);
    run = Cli("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("./run.dl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Bytes(Path("run.dl")), before);
}

TEST_F(BatchCommandsTest, ZeroWhenAChannelCrossesATrigger) {
    m_options.frames = 3000;  // past the launch
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    LogData original;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), original).ok());
    const int expected = FindAutoZeroFrame(original, 2, kAutoZeroGreaterThan, 3000.0f);
    ASSERT_GT(expected, 0);
    CliRun run = Cli("zero " + Quoted("run.dl") + " --when 2 '>' 3000");
    ASSERT_EQ(run.status, 0) << run.out;
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.zeroed.dl"), log).ok());
    EXPECT_NEAR(log.values[0][expected], 0.0f, 1e-6);

    run = Cli("zero " + Quoted("run.dl") + " --when 2 '>' 1e9 -o " + Quoted("none.dl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("The condition was not found."), std::string::npos) << run.out;
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
