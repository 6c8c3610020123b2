// The .graph file: exact layout, byte-identical round trips, short and long files, and the
// default configuration.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

#include "config/GraphConfigurationFile.h"
#include "datalog/ByteRecord.h"
#include "datalog/ChannelInfo.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

std::string TempPath(const std::string& name) {
    return (fs::temp_directory_path() /
            ("quillon-graph-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

TEST(GraphConfigurationFileTest, DefaultConfigurationHasEightViewsOfConsecutiveChannels) {
    const GraphConfiguration config = DefaultGraphConfiguration();
    EXPECT_EQ(GraphViewTitle(config.views[0]), "View #1");
    EXPECT_EQ(GraphViewTitle(config.views[7]), "View #8");
    EXPECT_EQ(config.views[0].entries[0].channel, 1u);
    EXPECT_EQ(config.views[0].entries[15].channel, 16u);
    EXPECT_EQ(config.views[7].entries[15].channel, 128u);
    for (const GraphView& view : config.views)
        for (const GraphViewEntry& entry : view.entries) {
            EXPECT_EQ(entry.graph, 1);
            EXPECT_EQ(entry.axisDisplay, 1);
            EXPECT_EQ(entry.panel, 0u);
            EXPECT_EQ(entry.filter, 0u);
        }
    for (int c = 1; c <= 440; ++c) {
        const ChannelAxisSetting expected = DefaultAxisSetting(c);
        EXPECT_EQ(config.axes[c - 1].autoscale, expected.autoscale) << c;
        EXPECT_EQ(config.axes[c - 1].minimum, expected.minimum) << c;
        EXPECT_EQ(config.axes[c - 1].maximum, expected.maximum) << c;
    }
    for (const MathChannelDefinition& math : config.math) {
        EXPECT_EQ(MathChannelName(math), "");
        EXPECT_EQ(MathChannelFormula(math), "");
    }
}

TEST(GraphConfigurationFileTest, FieldsSitAtTheirLittleEndianOffsets) {
    GraphConfiguration config{};
    config.views[1].entries[2] = {0x01020304, 1, 0, {0xAA, 0xBB}, 4, 5};
    std::strcpy(config.views[1].title, "Boost");
    config.axes[439] = {1, {7, 8, 9}, -1.5f, 2.0f};
    std::strcpy(config.math[9].name, "Ratio");
    std::strcpy(config.math[9].formula, "[002]/2");
    const GraphConfigurationBytes b = SerializeGraphConfiguration(config);
    ASSERT_EQ(b.size(), 10218u);
    const uint8_t* entry = b.data() + 276 + 20 + 2 * 16;
    EXPECT_EQ(std::memcmp(b.data() + 276, "Boost", 6), 0);
    EXPECT_EQ(entry[0], 0x04);
    EXPECT_EQ(entry[3], 0x01);
    EXPECT_EQ(entry[4], 1);
    EXPECT_EQ(entry[6], 0xAA);
    EXPECT_EQ(entry[7], 0xBB);
    EXPECT_EQ(LoadU32(entry + 8), 4u);
    EXPECT_EQ(LoadU32(entry + 12), 5u);
    const uint8_t* axis = b.data() + 2208 + 439 * 12;
    EXPECT_EQ(axis[0], 1);
    EXPECT_EQ(axis[3], 9);
    EXPECT_EQ(LoadF32(axis + 4), -1.5f);
    EXPECT_EQ(LoadF32(axis + 8), 2.0f);
    const uint8_t* math = b.data() + 7488 + 9 * 273;
    EXPECT_EQ(std::memcmp(math, "Ratio", 6), 0);
    EXPECT_EQ(std::memcmp(math + 18, "[002]/2", 8), 0);
}

TEST(GraphConfigurationFileTest, ReadThenWriteGivesIdenticalBytes) {
    // Random bytes stand for every uninterpreted byte, NaN payloads and unterminated texts.
    const std::string original = RandomBytes(10218, 42);
    const std::string in = TempPath("in.graph"), out = TempPath("out.graph");
    WriteAll(in, original);
    GraphConfiguration config = DefaultGraphConfiguration();
    ASSERT_TRUE(ReadGraphConfigurationFile(in, config));
    ASSERT_TRUE(WriteGraphConfigurationFile(out, config));
    EXPECT_EQ(ReadAll(out), original);
    EXPECT_EQ(GraphViewTitle(config.views[0]).size(),
              std::strlen(config.views[0].title) < 20 ? std::strlen(config.views[0].title) : 20u);
    fs::remove(in);
    fs::remove(out);
}

TEST(GraphConfigurationFileTest, ShortFileFillsAsFarAsItReachesAndLongFileIsCut) {
    const std::string path = TempPath("short.graph");
    const GraphConfiguration defaults = DefaultGraphConfiguration();
    // Ends inside the axis block, in the middle of channel 3's maximum.
    const size_t cut = 2208 + 2 * 12 + 10;
    const std::string bytes = RandomBytes(cut, 7);
    WriteAll(path, bytes);
    GraphConfiguration config = defaults;
    ASSERT_TRUE(ReadGraphConfigurationFile(path, config));
    const GraphConfigurationBytes image = SerializeGraphConfiguration(config);
    const GraphConfigurationBytes defaultImage = SerializeGraphConfiguration(defaults);
    EXPECT_EQ(std::memcmp(image.data(), bytes.data(), cut), 0);
    EXPECT_EQ(std::memcmp(image.data() + cut, defaultImage.data() + cut, 10218 - cut), 0);

    WriteAll(path, "");
    config = defaults;
    EXPECT_TRUE(ReadGraphConfigurationFile(path, config));
    EXPECT_EQ(SerializeGraphConfiguration(config), defaultImage);

    const std::string longBytes = RandomBytes(12000, 9);
    WriteAll(path, longBytes);
    ASSERT_TRUE(ReadGraphConfigurationFile(path, config));
    const GraphConfigurationBytes longImage = SerializeGraphConfiguration(config);
    EXPECT_EQ(std::memcmp(longImage.data(), longBytes.data(), 10218), 0);
    fs::remove(path);
}

TEST(GraphConfigurationFileTest, FailuresReportTheirTextsAndKeepDataAndFiles) {
    GraphConfiguration config = DefaultGraphConfiguration();
    const GraphConfigurationBytes before = SerializeGraphConfiguration(config);
    std::string error;
    EXPECT_FALSE(ReadGraphConfigurationFile(TempPath("missing.graph"), config, &error));
    EXPECT_EQ(error, "There was an error opening the file");
    error.clear();
    EXPECT_FALSE(ReadGraphConfigurationFile(fs::temp_directory_path().string(), config, &error));
    EXPECT_EQ(error, "There was an error opening the file");
    EXPECT_EQ(SerializeGraphConfiguration(config), before);

    error.clear();
    EXPECT_FALSE(WriteGraphConfigurationFile(TempPath("no-such-folder/x.graph"), config, &error));
    EXPECT_EQ(error, "There was an error saving the file");
}

}  // namespace
