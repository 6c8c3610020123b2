// The info and expand verbs: summaries of .dl and .dlz logs, JSON output, bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "datalog/DataLogFrame.h"
#include "datalog/DlzCodec.h"
#include "samplegen/SampleLog.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

struct CliRun {
    int status = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};

class InfoCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("quillon-info-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_options.frames = 1000;
        m_options.startTimestamp = 1767282202125;  // 15:43:22.125 UTC
        m_options.zeroTime = 2.5f;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    /// Runs the tool through the shell, `shellPrefix` first (for example a ulimit).
    CliRun Run(const std::string& args, const std::string& shellPrefix = "") const {
        const std::string errPath = Path("stderr.txt");
        const std::string command = shellPrefix + "'" + std::string(QUILLON_CLI_PATH) + "' " +
                                    args + " 2>'" + errPath + "'";
        CliRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errPath);
        run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return run;
    }

    fs::path m_dir;
    SampleLogOptions m_options;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(InfoCommandTest, SummarisesHeaderFramesAndAvailableChannels) {
    ASSERT_TRUE(WriteSampleLog(Path("run.dl"), m_options));
    CliRun run = Run("info '" + Path("run.dl") + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line :
         {"Logfile Version: 0.4\n", "Date: 20260101\n", "Global File: C:\\Tunes\\race_car_v3.gbl\n",
          "Firmware Version: 04020011\n", "ECU ID: 180001\n", "Zero Time: 2.500 sec\n",
          "Start Time: 15:43:22.125 (UTC)\n", "Frames: 1000\n", "Duration: 9.990 sec\n"})
        EXPECT_TRUE(Contains(run.out, line)) << line << run.out;
    // Named and unnamed configurable channels; the degree sign comes out as UTF-8; channels
    // that the configuration does not enable are left out.
    EXPECT_TRUE(Contains(run.out, "    303  EGT Cyl 1 ")) << run.out;
    EXPECT_TRUE(Contains(run.out,
                         "%.0f\xC2\xB0"
                         "F\n"));
    EXPECT_TRUE(Contains(run.out, "    304  Input #6 "));
    EXPECT_TRUE(Contains(run.out, "    383  Output #5 "));
    EXPECT_FALSE(Contains(run.out, "  W/M Injection "));
    EXPECT_FALSE(Contains(run.out, "    305  "));

    CliRun json = Run("info --json '" + Path("run.dl") + "'");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_TRUE(Contains(json.out, "\"frames\": 1000,"));
    EXPECT_TRUE(Contains(json.out, "\"duration\": 9.99,"));
    EXPECT_TRUE(Contains(json.out, "\"startTime\": \"15:43:22.125\","));
    EXPECT_TRUE(Contains(json.out, "\"globalFile\": \"C:\\\\Tunes\\\\race_car_v3.gbl\","));
    EXPECT_TRUE(Contains(json.out,
                         "{\"number\": 303, \"name\": \"EGT Cyl 1\", \"unit\": \"\\u00b0F\", "
                         "\"format\": \"%.0f\\u00b0F\"}"));
}

TEST_F(InfoCommandTest, ReadsDlzWithoutWritingBesideIt) {
    ASSERT_TRUE(WriteSampleDlz(Path("Run.DLZ"), m_options));
    CliRun run = Run("info '" + Path("Run.DLZ") + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Frames: 1000\n"));
    EXPECT_FALSE(fs::exists(Path("run.dl")));

    CliRun expand = Run("expand '" + Path("Run.DLZ") + "'");
    ASSERT_EQ(expand.status, 0) << expand.err;
    EXPECT_EQ(expand.out, Path("run.dl") + "\n");
    EXPECT_EQ(fs::file_size(Path("run.dl")), kFramesOffset + 1000 * kFrameSize);
    EXPECT_FALSE(fs::exists(Path("Run.DLZ.flip")));
    EXPECT_FALSE(fs::exists(Path("Run.DLZ.flipdecomp")));
}

TEST_F(InfoCommandTest, BadInputGivesAMessageAndAFailureStatus) {
    std::vector<uint8_t> bytes = GenerateV4Bytes(m_options);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& data) {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    };
    auto magic = bytes;
    magic[1] = 0;
    write("magic.dl", magic);
    auto version = bytes;
    version[8] = 3;
    write("version.dl", version);
    write("short.dl", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 500));
    write("empty.dlz", {});
    fs::create_directory(Path("folder.dl"));

    struct Case {
        std::string args, message;
    };
    const Case cases[] = {
        {"info '" + Path("magic.dl") + "'", "Magic Number does not match"},
        {"info '" + Path("version.dl") + "'", "Logfile Version Unrecognized"},
        {"info '" + Path("short.dl") + "'", "too short"},
        {"info '" + Path("missing.dl") + "'", "No such file"},
        {"info '" + Path("folder.dl") + "'", "folder"},
        {"info '" + Path("empty.dlz") + "'", "does not decode to a log"},
        {"expand '" + Path("empty.dlz") + "'", "does not hold a log"},
        {"expand '" + Path("magic.dl") + "'", "is not a .dlz file"},
        {"expand '" + Path("missing.dlz") + "'", "No such file"},
    };
    for (const Case& c : cases) {
        CliRun run = Run(c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_TRUE(Contains(run.err, c.message)) << c.args << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << c.args;
    }
    EXPECT_EQ(Run("info").status, 2);
    EXPECT_EQ(Run("expand").status, 2);
    EXPECT_FALSE(fs::exists(Path("empty.dl")));
}

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's shadow memory needs more address space
TEST_F(InfoCommandTest, ADlzThatExpandsBeyondMemoryIsReported) {
    // 2 million escapes of 255 zero bytes: 6 MB that decode to 510 MB, under a 300 MB limit.
    std::vector<uint8_t> stream;
    for (int i = 0; i < 2000000; ++i)
        stream.insert(stream.end(), {0xFF, 0xFF, 0x00});
    std::vector<uint8_t> dlz(stream.size());
    FlipWords(stream.data(), stream.size(), dlz.data());
    std::ofstream(Path("huge.dlz"), std::ios::binary)
        .write(reinterpret_cast<const char*>(dlz.data()), std::streamsize(dlz.size()));
    CliRun run = Run("info '" + Path("huge.dlz") + "'", "ulimit -v 300000; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "does not fit in memory")) << run.err;

    // A 2 GB log (sparse on disk) whose columns cannot be allocated.
    m_options.frames = 1;
    ASSERT_TRUE(WriteSampleLog(Path("big.dl"), m_options));
    fs::resize_file(Path("big.dl"), kFramesOffset + 600000 * kFrameSize);
    run = Run("info '" + Path("big.dl") + "'", "ulimit -v 1000000; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "not enough memory to load")) << run.err;
}
#endif
