// The .graph file: layout, byte-identical round trips, short and long files, defaults.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <tuple>

#include "settings/GraphConfigurationFile.h"
#include "format/ByteRecord.h"
#include "model/ChannelInfo.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

std::string RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

TEST(GraphConfigurationFileTest, DefaultConfigurationHasEightViewsOfConsecutiveChannels) {
    const GraphConfiguration config = DefaultGraphConfiguration();
    EXPECT_EQ(std::tuple(GraphViewTitle(config.views[0]), GraphViewTitle(config.views[7])),
              std::tuple("View #1", "View #8"));
    for (int v = 0; v < kViewCount; ++v)
        for (int e = 0; e < kViewEntryCount; ++e) {
            const GraphViewEntry& entry = config.views[v].entries[e];
            ASSERT_EQ(entry.channel, uint32_t(v * 16 + e + 1));
            ASSERT_EQ(std::tuple(entry.graph, entry.axisDisplay, entry.panel, entry.filter),
                      std::tuple(1, 1, 0u, 0u));
        }
    // Axes take the channels' own defaults (RPM fixed at 0..10000).
    EXPECT_EQ(std::tuple(config.axes[1].autoscale, config.axes[1].minimum, config.axes[1].maximum),
              std::tuple(0, 0.0f, 10000.0f));
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
    EXPECT_EQ(std::vector<uint8_t>(entry, entry + 16),
              (std::vector<uint8_t>{4, 3, 2, 1, 1, 0, 0xAA, 0xBB, 4, 0, 0, 0, 5, 0, 0, 0}));
    const uint8_t* axis = b.data() + 2208 + 439 * 12;
    EXPECT_EQ(std::vector<uint8_t>(axis, axis + 4), (std::vector<uint8_t>{1, 7, 8, 9}));
    EXPECT_EQ(LoadF32(axis + 4), -1.5f);
    EXPECT_EQ(LoadF32(axis + 8), 2.0f);
    const uint8_t* math = b.data() + 7488 + 9 * 273;
    EXPECT_EQ(std::memcmp(math, "Ratio", 6), 0);
    EXPECT_EQ(std::memcmp(math + 18, "[002]/2", 8), 0);
}

TEST(GraphConfigurationFileTest, FullFilesComeBackByteForByteShortOnesFillAndLongOnesAreCut) {
    const test::TempFolder dir;
    const std::string path = dir / "in.graph", out = dir / "out.graph";
    const GraphConfiguration defaults = DefaultGraphConfiguration();
    GraphConfiguration config;
    auto read = [&](const std::string& bytes) {
        test::WriteText(path, bytes);
        config = defaults;
        EXPECT_TRUE(ReadGraphConfigurationFile(path, config));
        const GraphConfigurationBytes image = SerializeGraphConfiguration(config);
        return std::string(image.begin(), image.end());
    };
    // Random bytes stand for every uninterpreted byte, NaN payloads and unterminated texts.
    const std::string original = RandomBytes(10218, 42);
    read(original);
    ASSERT_TRUE(WriteGraphConfigurationFile(out, config));
    EXPECT_EQ(test::ReadText(out), original);
    EXPECT_EQ(GraphViewTitle(config.views[0]).size(),
              std::strlen(config.views[0].title) < 20 ? std::strlen(config.views[0].title) : 20u);

    // Ends inside the axis block, in the middle of channel 3's maximum: the rest stays default.
    const size_t cut = 2208 + 2 * 12 + 10;
    const std::string defaultImage = read("");
    const GraphConfigurationBytes expectedDefault = SerializeGraphConfiguration(defaults);
    EXPECT_EQ(defaultImage, std::string(expectedDefault.begin(), expectedDefault.end()));
    const std::string bytes = RandomBytes(cut, 7);
    EXPECT_EQ(read(bytes), bytes + defaultImage.substr(cut));
    const std::string longBytes = RandomBytes(12000, 9);
    EXPECT_EQ(read(longBytes), longBytes.substr(0, 10218));
}

TEST(GraphConfigurationFileTest, FailuresReportTheirCausesAndKeepDataAndFiles) {
    const test::TempFolder dir;
    GraphConfiguration config = DefaultGraphConfiguration();
    const GraphConfigurationBytes before = SerializeGraphConfiguration(config);
    Result r = ReadGraphConfigurationFile(dir / "missing.graph", config);
    EXPECT_EQ(std::tuple(r.cause, r.operation),
              std::tuple(Cause::OpenFailed, Operation::ReadGraph));
    r = ReadGraphConfigurationFile(dir.String(), config);
    EXPECT_EQ(std::tuple(r.cause, r.operation),
              std::tuple(Cause::NotRegular, Operation::ReadGraph));
    EXPECT_EQ(SerializeGraphConfiguration(config), before);

    r = WriteGraphConfigurationFile(dir / "no-such-folder/x.graph", config);
    EXPECT_EQ(std::tuple(r.cause, r.operation),
              std::tuple(Cause::CreateFailed, Operation::WriteGraph));
}

}  // namespace
