// The command-line verbs: output, exit status, files written, bad input, inputs unchanged.
#include <gtest/gtest.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "analysis/ChannelStatistics.h"
#include "analysis/CsvExport.h"
#include "analysis/MathChannels.h"
#include "format/DlzCodec.h"
#include "model/ZeroTime.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"
#include "settings/GraphConfigurationFile.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace quillon;
using test::Split;

namespace {

struct CliRun {
    int status = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};

// Expects `text` to hold, to lack or to start with `part`, showing both when it does not.
#define EXPECT_HAS(text, part) \
    EXPECT_NE((text).find(part), std::string::npos) << (part) << "\n" << (text)
#define EXPECT_LACKS(text, part) \
    EXPECT_EQ((text).find(part), std::string::npos) << (part) << "\n" << (text)
#define EXPECT_STARTS(text, part) EXPECT_EQ((text).rfind(part, 0), 0u) << (text)

std::string Shortest(float value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

class BatchCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_options.frames = 1000;
        m_options.rate = 100.0;
        ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    }
    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string Quoted(const std::string& name) const {
        // Built by appending: "'" + std::string trips a false -Wrestrict warning of GCC 12 at -O3.
        std::string quoted(1, '\'');
        quoted += Path(name);
        quoted += '\'';
        return quoted;
    }

    /// Runs the tool through the shell with a documents folder of its own, `shellPrefix` first
    /// (for example a ulimit).
    CliRun Run(const std::string& args, const std::string& shellPrefix = "") const {
        const std::string errPath = Path("stderr.txt");
        const std::string command = shellPrefix + "XDG_DOCUMENTS_DIR=" + Quoted("docs") + " '" +
                                    QUILLON_CLI_PATH + "' " + args + " 2>'" + errPath + "'";
        CliRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = test::ReadText(errPath);
        return run;
    }

    /// Runs the tool and expects it to succeed.
    CliRun Ok(const std::string& args) const {
        CliRun run = Run(args);
        EXPECT_EQ(run.status, 0) << args << ": " << run.err;
        return run;
    }

    test::TempFolder m_dir;
    SampleLogOptions m_options;
};

}  // namespace

TEST_F(BatchCommandsTest, InfoSummarisesHeaderFramesAndAvailableChannels) {
    m_options.startTimestamp = 1767282202125;  // 15:43:22.125 UTC
    m_options.zeroTime = 2.5f;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    CliRun run = Ok("info " + Quoted("run.dl"));
    for (const char* line :
         {"Logfile Version: 0.4\n", "Date: 20260101\n", "Global File: C:\\Tunes\\race_car_v3.gbl\n",
          "Firmware Version: 04020011\n", "ECU ID: 180001\n", "Zero Time: 2.500 sec\n",
          "Start Time: 15:43:22.125 (UTC)\n", "Frames: 1000\n", "Duration: 9.990 sec\n"})
        EXPECT_HAS(run.out, line);
    // Named and unnamed configurable channels; the degree sign comes out as UTF-8; channels
    // that the configuration does not enable are left out.
    for (const char* part : {"    303  EGT Cyl 1 ",
                             "%.0f\xC2\xB0"
                             "F\n",
                             "    304  Input #6 ", "    383  Output #5 "})
        EXPECT_HAS(run.out, part);
    EXPECT_LACKS(run.out, "  W/M Injection ");
    EXPECT_LACKS(run.out, "    305  ");

    CliRun json = Ok("info --json " + Quoted("run.dl"));
    for (const char* part :
         {"\"frames\": 1000,", "\"duration\": 9.99,", "\"startTime\": \"15:43:22.125\",",
          "\"globalFile\": \"C:\\\\Tunes\\\\race_car_v3.gbl\",",
          "{\"number\": 303, \"name\": \"EGT Cyl 1\", \"unit\": \"\\u00b0F\", "
          "\"format\": \"%.0f\\u00b0F\"}"})
        EXPECT_HAS(json.out, part);
}

// The first bytes, not the name, tell a log from a compressed one; only expand writes beside it.
TEST_F(BatchCommandsTest, DlzFilesGoByTheirFirstBytesAndOnlyExpandWritesBesideThem) {
    ASSERT_TRUE(WriteSampleDlz(Path("Packed.DLZ"), m_options));
    ASSERT_TRUE(WriteSampleLog(Path("plain.dlz"), m_options));
    ASSERT_TRUE(WriteSampleDlz(Path("packed.log"), m_options));
    for (const char* name : {"Packed.DLZ", "plain.dlz", "packed.log"})
        EXPECT_HAS(Ok("info " + Quoted(name)).out, "Frames: 1000\n");
    EXPECT_HAS(Ok("stats " + Quoted("plain.dlz")).out, "frames 0 to 999 of 1000");
    const CliRun notDlz = Run("expand " + Quoted("plain.dlz"));
    EXPECT_EQ(notDlz.status, 1);
    EXPECT_HAS(notDlz.err, "is not a .dlz file");
    EXPECT_FALSE(fs::exists(Path("Packed.dl")) || fs::exists(Path("plain.dl")));

    CliRun expand = Ok("expand " + Quoted("Packed.DLZ"));
    EXPECT_EQ(expand.out, Path("Packed.dl") + "\n");
    EXPECT_EQ(fs::file_size(Path("Packed.dl")), kFramesOffset + 1000 * kFrameSize);
    EXPECT_FALSE(fs::exists(Path("Packed.DLZ.flip")) || fs::exists(Path("Packed.DLZ.flipdecomp")));

    // Stats of a .dlz in a read-only folder beside an edited .dl: nothing written, no folders.
    fs::create_directories(Path("logs"));
    ASSERT_TRUE(WriteSampleDlz(Path("logs/run.dlz"), m_options));
    std::ofstream(Path("logs/run.dl")) << "an edited log";
    fs::permissions(Path("logs"), fs::perms::owner_read | fs::perms::owner_exec);
    CliRun run = Run("stats " + Quoted("logs/run.dlz") + " --json");
    fs::permissions(Path("logs"), fs::perms::owner_all);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_HAS(run.out, "\"frames\":1000,");
    EXPECT_EQ(test::ReadText(Path("logs/run.dl")), "an edited log");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("logs")), fs::directory_iterator()), 2);
    EXPECT_FALSE(fs::exists(Path("docs")));
}

TEST_F(BatchCommandsTest, StatsOfTheWholeLogAndOfATimeRangeUseTheNearestFrames) {
    CliRun all = Ok("stats " + Quoted("run.dl") + " --json");
    EXPECT_HAS(all.out, "\"frames\":1000,\"first\":0,\"end\":1000");
    // Time runs 0.00 .. 9.99 s: the whole log's time statistics.
    EXPECT_HAS(all.out,
               "{\"channel\":1,\"name\":\"RTC\",\"unit\":\"sec\",\"minimum\":0,"
               "\"maximum\":9.99,");
    EXPECT_HAS(all.out, "\"count\":1000,\"slope\":1}");

    // 2.004 s is nearest to frame 200, 4.986 s to frame 499: frames 200 .. 499.
    CliRun range = Ok("stats " + Quoted("run.dl") + " --from 2.004 --to 4.986 --json");
    EXPECT_HAS(range.out, "\"first\":200,\"end\":500");
    EXPECT_HAS(range.out, "\"minimum\":2,\"maximum\":4.99,");
    EXPECT_HAS(range.out, "\"count\":300,");
    // One frame: both times nearest to the same frame.
    EXPECT_HAS(Run("stats " + Quoted("run.dl") + " --from 3 --to 3 --json").out, "\"count\":1,");

    CliRun text = Ok("stats " + Quoted("run.dl") + " --to 1");
    EXPECT_HAS(text.out, "frames 0 to 100 of 1000");
    EXPECT_HAS(text.out, "   1 RTC");
}

TEST_F(BatchCommandsTest, MathPrintsDefinedChannelsWithTheirStatistics) {
    GraphConfiguration config = DefaultGraphConfiguration();
    test::DefineMath(config, 0, "Double RPM", "[002]*2");
    test::DefineMath(config, 2, "Boost per RPM", "([029]-100)/([002]+1)");
    test::DefineMath(config, 4, "", "[002]");  // no name: inactive
    ASSERT_TRUE(WriteGraphConfigurationFile(Path("setup.graph"), config));

    const CliRun run =
        Ok("math " + Quoted("run.dl") + " --graph " + Quoted("setup.graph") + " --json");
    EXPECT_HAS(run.out, "\"frames\":1000");
    EXPECT_LACKS(run.out, "\"math\":5");
    // The same computation in process gives the printed figures.
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), log).ok());
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
        EXPECT_HAS(run.out, row);
    }

    const CliRun text = Ok("math " + Quoted("run.dl") + " --graph " + Quoted("setup.graph"));
    EXPECT_HAS(text.out, "369 Double RPM");
    EXPECT_HAS(text.out, "([029]-100)/([002]+1)");

    ASSERT_TRUE(WriteGraphConfigurationFile(Path("none.graph"), DefaultGraphConfiguration()));
    const CliRun none = Ok("math " + Quoted("run.dl") + " --graph " + Quoted("none.graph"));
    EXPECT_HAS(none.out, "no math channels defined");
}

TEST_F(BatchCommandsTest, UpgradeReportsEveryFileInOrderAndReplacesOnlyWithOverwrite) {
    for (int layout = 1; layout <= 3; ++layout)
        ASSERT_TRUE(WriteLegacyLog(Path("v" + std::to_string(layout) + ".dl"), layout, m_options));
    ASSERT_TRUE(WriteSampleLog(Path("new.dl"), m_options));
    CliRun run = Run("upgrade " + Quoted("v1.dl") + " " + Quoted("missing.dl") + " " +
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

    // The reason of each failure goes to stderr.
    EXPECT_EQ(run.err, "quillon-cli upgrade: Cannot open '" + Path("missing.dl") +
                           "': " + std::strerror(ENOENT) + "\n");

    // The converted bytes: LegacyConverterTest.
    run = Ok("upgrade " + Quoted("v2.dl"));
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("v2.V4.dl"), log).ok());
    EXPECT_EQ(log.frameCount, 1000);

    // An earlier conversion is replaced only with --overwrite.
    std::ofstream(Path("v1.V4.dl"), std::ios::binary) << "edited";
    run = Run("upgrade " + Quoted("v1.dl"));
    EXPECT_EQ(run.status, 1);
    EXPECT_HAS(run.err, Path("v1.V4.dl") + " already exists (--overwrite");
    EXPECT_EQ(fs::file_size(Path("v1.V4.dl")), 6u);
    run = Ok("upgrade --overwrite " + Quoted("v1.dl"));
    EXPECT_GT(fs::file_size(Path("v1.V4.dl")), 1000u);
}

TEST_F(BatchCommandsTest, ZeroAtATimeOrWhenAChannelCrossesATrigger) {
    m_options.frames = 3000;  // past the launch
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string before = test::ReadText(Path("run.dl"));
    CliRun run = Ok("zero " + Quoted("run.dl") + " --at 2.456");
    EXPECT_EQ(test::ReadText(Path("run.dl")), before);
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.zeroed.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 2.46f);  // the nearest frame
    EXPECT_NEAR(log.values[0][246], 0.0f, 1e-6);

    // -o names the output; it may not be the input itself.
    run = Ok("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("out.dl"));
    ASSERT_TRUE(ReadDataLog(Path("out.dl"), log).ok());
    EXPECT_FLOAT_EQ(log.header.Get(DataLogHeader::zeroTime), 1.0f);
    EXPECT_EQ(Run("zero " + Quoted("run.dl") + " --at 1 -o " + Quoted("./run.dl")).status, 1);
    EXPECT_EQ(test::ReadText(Path("run.dl")), before);

    LogData original;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), original).ok());
    const int expected = FindAutoZeroFrame(original, 2, kAutoZeroGreaterThan, 3000.0f);
    ASSERT_GT(expected, 0);
    run = Ok("zero " + Quoted("run.dl") + " --when 2 '>' 3000 -o " + Quoted("when.dl"));
    ASSERT_TRUE(ReadDataLog(Path("when.dl"), log).ok());
    EXPECT_NEAR(log.values[0][expected], 0.0f, 1e-6);
}

TEST_F(BatchCommandsTest, RunsListsTheStretchesBetweenTwoConditions) {
    // 150 s at 10 Hz: TPS above 90 from 22.3 s of each one-minute pass to the lift at 35.5 s;
    // the third pass is cut off by the log's end.
    m_options.frames = 1500;
    m_options.rate = 10;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string args = "runs " + Quoted("run.dl") + " --start 30 '>' 90 --end 30 '<' +20";
    CliRun run = Run(args + " --min-duration 13.2 --max 2 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_STARTS(run.out,
                  "{\"runs\":[\n{\"start\":22.3,\"end\":35.5,\"duration\":13.2,"
                  "\"startFrame\":223,\"endFrame\":355,\"endFound\":true,");
    EXPECT_HAS(run.out, "{\"start\":82.3,\"end\":95.5,");
    EXPECT_LACKS(run.out, "142.3");  // 7.6 s: too short
    // The maximum covers the last frame: a run that ends when RPM first passes 7000 peaks there.
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), log).ok());
    const float* rpm = log.values[kRpmSlot].data();
    const auto last = std::find_if(rpm + 224, rpm + 1500, [](float v) { return v > 7000; }) - rpm;
    run = Run("runs " + Quoted("run.dl") + " --start 30 '>' 90 --end 2 '>' 7000 --max 2 --json");
    EXPECT_HAS(run.out, "\"endFrame\":" + std::to_string(last) +
                            ",\"endFound\":true,\"maximum\":" + Shortest(rpm[last]) + "}");
    run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_HAS(run.out, ": 3 runs of 1500 frames\n");
    EXPECT_HAS(run.out, "   1423-1499 ");
    EXPECT_HAS(run.out, "(to the log's end)\n");
    run = Run("runs " + Quoted("run.dl") + " --start 30 '>' 100 --end 30 '<' 20 --json");
    EXPECT_STARTS(run.out, "{\"runs\":[]");
    // The conditions are read as zero --when reads them.
    run = Run("runs " + Quoted("run.dl") + " --start TPS '>' 90 --end 30 '<' 20");
    EXPECT_EQ(run.status, 2);
    EXPECT_STARTS(run.err,
                  "quillon-cli runs: the channel must be a number from 1 to 440\n"
                  "usage: runs LOG --start");
    EXPECT_EQ(Run("runs " + Quoted("run.dl") + " --start 30 '>'").status, 2);
    EXPECT_EQ(Run("runs " + Quoted("run.dl") + " --start 30 '>' 90").status, 2);
}

TEST_F(BatchCommandsTest, AlignFindsTheShiftOfACopyStartingLater) {
    // The comparison: the log from its frame 123 on (1.23 s later in the run), other noise.
    m_options.frames = 3000;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    SampleLogOptions copy = m_options;
    copy.frames += 123;
    copy.seed = 2;
    std::vector<uint8_t> bytes = GenerateV4Bytes(copy);
    bytes.erase(bytes.begin() + std::ptrdiff_t(kFramesOffset),
                bytes.begin() + std::ptrdiff_t(kFramesOffset + 123 * kFrameSize));
    test::WriteBytes(Path("copy.dl"), bytes);
    CliRun run = Run("align " + Quoted("run.dl") + " " + Quoted("copy.dl") + " --channel 2 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_STARTS(run.out, "{\"shift\":1.23,\"correlation\":0.9");
    EXPECT_HAS(run.out, "\"confident\":true,");
    // A channel that never changes gives no shift at all.
    run = Run("align " + Quoted("run.dl") + " " + Quoted("copy.dl") + " --channel 33 --json");
    EXPECT_STARTS(run.out, "{\"shift\":null,");
    EXPECT_HAS(run.out, "\"confident\":false,\"quality\":\"flat\"");
    EXPECT_EQ(Run("align " + Quoted("run.dl") + " --channel 2").status, 2);
}

TEST_F(BatchCommandsTest, CropKeepsTheFramesBetweenTheNearestFrames) {
    ASSERT_TRUE(WriteSampleDlz(Path("Packed.DLZ"), m_options));
    CliRun run = Ok("crop " + Quoted("Packed.DLZ") + " --start 1.004 --end 7.994");
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("Packed.cropped.dl"), log).ok());
    EXPECT_EQ(log.frameCount, 700);  // frames 100 to 799
    EXPECT_EQ(log.firstTimestamp, SampleFrameTimestamp(m_options, 100));
    EXPECT_EQ(log.values[0][0], 0.0f);
    EXPECT_FALSE(fs::exists(Path("Packed.dl")));  // decoded in memory only

    run = Ok("crop " + Quoted("run.dl") + " --end 3 -o " + Quoted("end.dl"));
    ASSERT_TRUE(ReadDataLog(Path("end.dl"), log).ok());
    EXPECT_EQ(log.frameCount, 301);
}

TEST_F(BatchCommandsTest, ExportCsvWritesEveryFrameBesideTheLogAlsoFromDlz) {
    m_options.frames = 300;
    m_options.rate = 50.0;
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    const std::string before = test::ReadText(Path("run.dl"));
    CliRun run = Ok("export-csv " + Quoted("run.dl"));
    EXPECT_EQ(run.out, Path("run.csv") + "\n");
    EXPECT_EQ(test::ReadText(Path("run.dl")), before);

    // Every frame, as the export of the log read in process writes it.
    EXPECT_EQ(Split(test::ReadText(Path("run.csv")), '\n').size(), size_t(m_options.frames) + 3);
    LogData log;
    ASSERT_TRUE(ReadDataLog(Path("run.dl"), log).ok());
    ASSERT_TRUE(ExportCsv(log, Path("want.csv")).ok());
    EXPECT_EQ(test::ReadText(Path("run.csv")), test::ReadText(Path("want.csv")));

    // A .dlz gives the same text and leaves no decoded log beside it.
    ASSERT_TRUE(WriteSampleDlz(Path("Packed.DLZ"), m_options));
    run = Ok("export-csv " + Quoted("Packed.DLZ"));
    EXPECT_EQ(run.out, Path("Packed.csv") + "\n");
    EXPECT_EQ(test::ReadText(Path("Packed.csv")), test::ReadText(Path("run.csv")));
    EXPECT_FALSE(fs::exists(Path("Packed.dl")));

    // Math channels of a .graph file are computed first.
    GraphConfiguration config = DefaultGraphConfiguration();
    test::DefineMath(config, 0, "Double RPM", "[002]*2");
    ASSERT_TRUE(WriteGraphConfigurationFile(Path("math.graph"), config));
    run = Ok("export-csv " + Quoted("run.dl") + " --graph " + Quoted("math.graph") + " -o " +
             Quoted("math.csv"));
    const auto math = Split(test::ReadText(Path("math.csv")), '\n');
    ASSERT_GT(math.size(), 10u);
    EXPECT_EQ(Split(math[0], ',')[369], "Double RPM");
    for (size_t k = 2; k < 10; ++k) {
        const auto cells = Split(math[k], ',');
        EXPECT_EQ(std::stod(cells[369]), 2 * std::stod(cells[2])) << math[k].substr(0, 40);
    }
}

TEST_F(BatchCommandsTest, ExportCsvReportsBadInputAndOverwritesNothing) {
    const std::string log = Quoted("run.dl");
    const std::string before = test::ReadText(Path("run.dl"));

    // Never the log itself, whatever -o says.
    CliRun run = Run("export-csv " + log + " -o " + log);
    EXPECT_EQ(run.status, 1);
    EXPECT_HAS(run.err, "is the log itself");
    EXPECT_EQ(test::ReadText(Path("run.dl")), before);

    // A log without ".dl" in its name gets ".csv" appended, not itself as the target.
    fs::copy_file(Path("run.dl"), Path("run.log"));
    run = Ok("export-csv " + Quoted("run.log"));
    EXPECT_EQ(run.out, Path("run.log.csv") + "\n");
    EXPECT_EQ(test::ReadText(Path("run.log")), before);

    { std::ofstream(Path("old.csv")) << "old"; }
    run = Run("export-csv " + log + " --graph " + Quoted("missing.graph") + " -o " +
              Quoted("old.csv"));
    EXPECT_EQ(run.status, 1);
    EXPECT_HAS(run.err, "There was an error opening the file");
    EXPECT_EQ(test::ReadText(Path("old.csv")), "old");
}

TEST_F(BatchCommandsTest, ControlBytesOfTheFileArePrintedEscaped) {
    DataLogHeader header;
    EcuConfigBlock config;
    FillSampleHeader(m_options, header, config);
    header.Set(DataLogHeader::notes, "run\x1b]0;owned\x07 2");
    config.Set(EcuConfigBlock::InputName(4), "EGT\x1b[2J\x9d");
    std::vector<uint8_t> bytes = GenerateV4Bytes(m_options);
    std::copy(header.bytes.begin(), header.bytes.end(), bytes.begin());
    std::copy(config.bytes.begin(), config.bytes.end(), bytes.begin() + DataLogHeader::kSize);
    test::WriteBytes(Path("run.dl"), bytes);
    const CliRun info = Run("info " + Quoted("run.dl"));
    EXPECT_HAS(info.out, "Notes: run\\x1b]0;owned\\x07 2\n");
    EXPECT_HAS(info.out, "    303  EGT\\x1b[2J\\x9d ");
    const CliRun stats = Run("stats " + Quoted("run.dl"));
    EXPECT_HAS(stats.out, " 303 EGT\\x1b[2J\\x9d ");
    for (const CliRun& run : {info, stats})
        EXPECT_EQ(run.out.find_first_of("\x07\x1b"), std::string::npos);
}

TEST_F(BatchCommandsTest, BadInputGivesAMessageAndAFailureStatus) {
    std::vector<uint8_t> bytes = GenerateV4Bytes(m_options);
    test::WriteBytes(Path("short.dl"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 500));
    test::WriteBytes(Path("empty.dlz"), {});
    bytes[1] = 0;
    test::WriteBytes(Path("magic.dl"), bytes);
    bytes[1] = GenerateV4Bytes(m_options)[1];
    bytes[8] = 3;
    test::WriteBytes(Path("version.dl"), bytes);
    fs::create_directory(Path("folder.dl"));

    struct Case {
        std::string args, message;
    };
    const Case cases[] = {
        {"info " + Quoted("magic.dl"), "Magic Number does not match"},
        {"info " + Quoted("version.dl"), "Logfile Version Unrecognized"},
        {"info " + Quoted("short.dl"), "too short"},
        {"info " + Quoted("missing.dl"), "No such file"},
        {"info " + Quoted("folder.dl"), "folder"},
        {"info " + Quoted("empty.dlz"), "does not decode to a log"},
        {"expand " + Quoted("empty.dlz"), "does not hold a log"},
        {"expand " + Quoted("magic.dl"), "is not a .dlz file"},
        {"stats " + Quoted("missing.dl"), "quillon-cli stats:"},
        {"stats " + Quoted("run.dl") + " --from 5 --to 2", "holds no frames"},
        {"math " + Quoted("run.dl") + " --graph " + Quoted("missing.graph"),
         "There was an error opening the file"},
        {"zero " + Quoted("missing.dl") + " --at 1", "quillon-cli zero:"},
        {"zero " + Quoted("run.dl") + " --when 2 '>' 1e9 -o " + Quoted("none.dl"),
         "The condition was not found."},
        {"crop " + Quoted("run.dl") + " --start 5 --end 2", "quillon-cli crop:"},
        {"export-csv " + Quoted("magic.dl"), "Magic Number does not match"},
        {"export-csv " + Quoted("empty.dlz"), "quillon-cli export-csv:"},
        {"export-csv " + Quoted("run.dl") + " -o " + Quoted("no/such/folder/x.csv"),
         "There was an error opening the file"},
    };
    for (const Case& c : cases) {
        CliRun run = Run(c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_HAS(run.err, c.message);
        EXPECT_TRUE(run.out.empty()) << c.args;
    }
    for (const char* name : {"empty.dl", "none.dl", "magic.csv", "empty.csv"})
        EXPECT_FALSE(fs::exists(Path(name))) << name;
    // Usage errors: status 2. "@" stands for the log.
    for (std::string args : {"info", "expand", "stats", "upgrade", "export-csv",
                             "stats @ --from abc", "stats @ --from nan", "stats @ --bogus",
                             "math @", "crop @", "export-csv @ -o", "zero @ --at 1 --when 2 '>' 5",
                             "zero @", "zero @ --when 0 '>' 5", "zero @ --when 2 '=' 5",
                             "zero @ --at x", "zero @ --at 1e39", "zero @ --when 2 '>' -1e39"}) {
        if (args.find('@') != std::string::npos) args.replace(args.find('@'), 1, Quoted("run.dl"));
        EXPECT_EQ(Run(args).status, 2) << args;
    }
    EXPECT_HAS(Run("math " + Quoted("run.dl")).err, "usage: math LOG --graph FILE.graph [--json]");
}

// An older layout is answered with the command that upgrades it, not the viewer's question.
TEST_F(BatchCommandsTest, MessagesFitACommandLine) {
    std::vector<uint8_t> version = GenerateV4Bytes(m_options);
    version[8] = 2;
    test::WriteBytes(Path("old.dl"), version);
    for (const char* verb : {"info", "stats", "crop --start 1", "zero --at 1", "export-csv"}) {
        std::string args = verb;
        args.insert(std::min(args.find(' '), args.size()), " " + Quoted("old.dl"));
        CliRun run = Run(args);
        EXPECT_EQ(run.status, 1) << verb;
        EXPECT_HAS(run.err, "quillon-cli upgrade");
        EXPECT_LACKS(run.err, "Would you like");
    }
}

TEST_F(BatchCommandsTest, FifosAreRefusedWithoutBlocking) {
    for (const char* name : {"pipe.dl", "pipe.dlz", "pipe.graph"})
        ASSERT_EQ(::mkfifo(Path(name).c_str(), 0600), 0);
    // A hang ends after 20 s with status 124 instead of blocking the test run.
    const std::string limit = "timeout 20 env ";
    const std::string cases[] = {"info " + Quoted("pipe.dl"), "expand " + Quoted("pipe.dlz"),
                                 "math " + Quoted("run.dl") + " --graph " + Quoted("pipe.graph"),
                                 "export-csv " + Quoted("run.dl") + " -o " + Quoted("pipe.dl"),
                                 "upgrade " + Quoted("pipe.dl")};
    for (const std::string& args : cases) {
        CliRun run = Run(args, limit);
        EXPECT_EQ(run.status, 1) << args << ": " << run.err;
    }
    for (const std::string& args : {cases[0], cases[3]})
        EXPECT_HAS(Run(args, limit).err, "FIFO");
    // The viewer's current configuration file, read by stats, may be a FIFO too.
    fs::create_directories(Path("docs/Brenmor/Quillon"));
    std::ofstream(Path("docs/Brenmor/Quillon/QuillonLogViewer.ini"))
        << "[General]\nLastDataLogConfig=" << Path("pipe.graph") << "\n";
    EXPECT_EQ(Run("stats " + Quoted("run.dl"), limit).status, 0);
    EXPECT_TRUE(fs::is_fifo(Path("pipe.dl")));
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's shadow memory needs more address space
TEST_F(BatchCommandsTest, ADlzThatExpandsBeyondMemoryIsReported) {
    // 2 million escapes of 255 zero bytes: 6 MB that decode to 510 MB, under a 300 MB limit.
    std::vector<uint8_t> stream;
    for (int i = 0; i < 2000000; ++i)
        stream.insert(stream.end(), {0xFF, 0xFF, 0x00});
    std::vector<uint8_t> dlz(stream.size());
    FlipWords(stream.data(), stream.size(), dlz.data());
    test::WriteBytes(Path("huge.dlz"), dlz);
    CliRun run = Run("info " + Quoted("huge.dlz"), "ulimit -v 300000; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_HAS(run.err, "does not fit in memory");

    // A 2 GB log (sparse on disk) is read in place: neither its columns nor a mapping of it
    // need to fit in 1 GB of address space. One frame at 1000 s with RPM 3000, then 599,999
    // frames of zeros, whose timestamp 0 lies 1000 s before the first.
    m_options.frames = 1;
    m_options.startTimestamp = 1000000;
    std::vector<uint8_t> big = GenerateV4Bytes(m_options);
    StoreF32(big.data() + kFramesOffset + 8 * kRpmSlot, 3000.0f);
    test::WriteBytes(Path("big.dl"), big);
    fs::resize_file(Path("big.dl"), kFramesOffset + 600000 * kFrameSize);
    run = Run("stats " + Quoted("big.dl"), "ulimit -v 1000000; ");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_HAS(run.out, "big.dl: frames 0 to 599999 of 600000 (0.000 s to -1000.000 s)\n");
    // RPM, shown whole: minimum 0, maximum 3000, average 3000 / 600000 = 0.005, deviation
    // 3000 x sqrt(1 / 600000 x 599999 / 600000) = 3.87, start 3000, end 0, delta 3000 and
    // slope 3000 / (0 s - -1000 s) = 3.
    EXPECT_HAS(run.out,
               "\n   2 RPM                                 0         3000            0   "
               "         4         3000            0         3000            3\n");
}
#endif
