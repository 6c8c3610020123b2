#include <gtest/gtest.h>

#include <tuple>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "format/DataLogFrame.h"
#include "format/LegacyConverter.h"
#include "format/LegacyLayout.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"
#include "support/TempFolder.h"

using namespace quillon;
namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

class LegacyConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_options.frames = 40;
        m_options.rate = 100.0;
        FillSampleHeader(m_options, m_header, m_config);
    }
    std::string Path(const std::string& name) const { return m_dir / name; }
    void Write(const std::string& name, const Bytes& bytes) const {
        test::WriteBytes(Path(name), bytes);
    }
    bool Convert(const std::string& name) {
        m_lines.clear();
        return ConvertLegacyLog(
            Path(name), [this](const std::string& l) { m_lines.push_back(l); }, {}, nullptr, {},
            &m_failure);
    }

    test::TempFolder m_dir;
    SampleLogOptions m_options;
    DataLogHeader m_header;  // the sample's V4 header and configuration
    EcuConfigBlock m_config;
    Lines m_lines;
    Result m_failure;
};

// The frame mapping written out by hand from the legacy layout: new slots `from` to `to` take
// legacy slots from `legacy` on; every new slot not listed is zero.
struct SlotRun {
    int from, to, legacy;
};
constexpr SlotRun kSlotRuns[] = {{1, 42, 1},     {44, 50, 43},    {126, 143, 50}, {149, 152, 68},
                                 {158, 163, 72}, {168, 171, 78},  {176, 179, 82}, {185, 189, 86},
                                 {215, 226, 91}, {230, 253, 103}, {298, 439, 127}};

int HandMappedLegacySlot(int slot) {
    for (const SlotRun& run : kSlotRuns)
        if (slot >= run.from && slot <= run.to) return run.legacy + slot - run.from;
    return -1;
}

// A value and status that tell frame and legacy slot apart.
float LegacyValue(int frame, int slot) {
    return float(frame * 1000 + slot) + 0.25f;
}
uint32_t LegacyStatus(int frame, int slot) {
    return uint32_t(slot * 3 + frame + 1);
}

bool Zero(const Bytes& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (bytes[i]) return false;
    return true;
}

}  // namespace

TEST_F(LegacyConverterTest, NewNameChangesTheFileNameOnlyAndNeverNamesTheSource) {
    for (auto [from, to] : {std::pair{"/logs/run.dl", "/logs/run.V4.dl"},
                            {"/logs/a.DL", "/logs/a.V4.dl"},
                            {"/old.dl/logs.DL/run.dl", "/old.dl/logs.DL/run.V4.dl"},
                            {"a.dl.dl", "a.V4.dl.V4.dl"},
                            {"/logs/run.Dl", "/logs/run.Dl.V4.dl"},
                            {"/logs.dl/run", "/logs.dl/run.V4.dl"}})
        EXPECT_EQ(LegacyConvertedPath(from), to) << from;
}

TEST_F(LegacyConverterTest, EachLayoutKeepsItsHeaderFieldsAndWholeFrames) {
    using Ranges = std::vector<std::pair<size_t, size_t>>;
    struct Layout {
        Ranges kept, zero;  // header byte ranges equal to the sample's, and cleared
    };
    const Layout layouts[] = {
        {{{12, 24}, {28, 540}}, {{540, 7712}}},  // reserved12, notes; the 512 bytes after dropped
        {{{28, 540}, {800, 1072}, {1200, 1268}, {1396, 1468}, {1596, 1640}, {1772, 1824}},
         {{540, 800}, {1640, 1772}, {1824, 7712}}},  // trackTemperature is not in layout 2
        {{{24, 7712}}, {}},
    };
    ASSERT_NE(m_header.Get(DataLogHeader::trackTemperature), 0.0f);
    m_options.trailingBytes = 1000;            // a partial frame at the end is dropped
    ASSERT_EQ(HandMappedLegacySlot(215), 91);  // the table's own spot checks
    ASSERT_EQ(HandMappedLegacySlot(226), 102);
    for (int layout = 1; layout <= 3; ++layout) {
        SCOPED_TRACE(layout);
        const std::string name = "run" + std::to_string(layout) + (layout == 2 ? ".DL" : ".dl");
        // Every legacy slot of every frame gets its own value, so a shifted slot shows.
        Bytes source = GenerateLegacyBytes(layout, m_options);
        for (int i = 0; i < 40; ++i) {
            uint8_t* frame = &source[LegacyHeaderSize(layout) + kLegacyConfigSize +
                                     size_t(i) * kLegacyFrameSize];
            StoreU64(frame, uint64_t(1000 + 7 * i));
            for (int j = 1; j < kLegacySlotCount; ++j) {
                StoreF32(frame + 8 * j, LegacyValue(i, j));
                StoreU32(frame + 8 * j + 4, LegacyStatus(i, j));
            }
        }
        Write(name, source);
        ASSERT_TRUE(Convert(name));
        EXPECT_EQ(m_lines,
                  (Lines{"-VERSION:V" + std::to_string(layout), "-READ: logfile read complete",
                         "-WRITE: logfile writing", "-WRITE: conversion complete"}));
        EXPECT_EQ(test::ReadBytes(Path(name)), source);
        const Bytes out = test::ReadBytes(Path("run" + std::to_string(layout) + ".V4.dl"));
        ASSERT_EQ(out.size(), kFramesOffset + 40 * kFrameSize);
        // The conversion in memory (what the fuzz target runs) gives the same lines and bytes.
        Lines memoryLines;
        Bytes memory;
        EXPECT_TRUE(ConvertLegacyBytes(
            source, [&](const std::string& l) { memoryLines.push_back(l); }, memory));
        EXPECT_EQ(memoryLines, m_lines);
        EXPECT_TRUE(memory == out);
        EXPECT_EQ(LoadU32(&out[8]), 4u);
        if (layout == 1) {
            EXPECT_EQ(LoadU32(&out[24]), 7712u);
        }
        for (auto [from, to] : layouts[layout - 1].kept)
            EXPECT_EQ(0, std::memcmp(&out[from], &m_header.bytes[from], to - from)) << from;
        for (auto [from, to] : layouts[layout - 1].zero)
            EXPECT_TRUE(Zero(out, from, to)) << from;
        for (int i = 0; i < 40; ++i) {
            const uint8_t* frame = &out[kFramesOffset + size_t(i) * kFrameSize];
            ASSERT_EQ(LoadU64(frame), uint64_t(10 * (1000 + 7 * i))) << "frame " << i;
            for (int s = 1; s < kSlotCount; ++s) {
                const int legacy = HandMappedLegacySlot(s);
                ASSERT_EQ(LoadF32(frame + 8 * s), legacy < 0 ? 0.0f : LegacyValue(i, legacy))
                    << "frame " << i << " slot " << s;
                ASSERT_EQ(LoadU32(frame + 8 * s + 4), legacy < 0 ? 0u : LegacyStatus(i, legacy))
                    << "frame " << i << " slot " << s;
            }
        }
    }
}

TEST_F(LegacyConverterTest, MapsTheConfigurationAsTheLegacyLayoutPlacesIt) {
    m_options.frames = 1;
    Bytes bytes = GenerateLegacyBytes(1, m_options);
    uint8_t* config = &bytes[LegacyHeaderSize(1)];
    StoreU32(config + 64, 0x64646464);   // -> 68
    StoreU32(config + 116, 0x11611611);  // -> 148
    StoreU32(config + 280, 0x28028028);  // -> 384
    uint8_t* input = config + 288 + 268 * 5;
    StoreU32(input + 64, 0xABCD);
    StoreF32(input + 68, 2.0f);
    StoreF32(input + 72, 3.0f);
    uint8_t* output = config + 21728 + 1452 * 7;
    StoreU32(output + 268, 77);
    StoreU32(output + 284, 1);
    Write("t.dl", bytes);
    ASSERT_TRUE(Convert("t.dl"));
    Bytes out = test::ReadBytes(Path("t.V4.dl"));
    ASSERT_EQ(out.size(), kFramesOffset + kFrameSize);  // the frames: the test of every layout
    EcuConfigBlock c;
    std::memcpy(c.bytes.data(), &out[7712], c.bytes.size());
    EXPECT_EQ(c.GetAt(EcuConfigBlock::outputEnables, 5), 0u);  // the gate of channel 44
    EXPECT_EQ(c.GetAt(EcuConfigBlock::outputEnables, 6), 0x64646464u);
    EXPECT_EQ(LoadU32(&c.bytes[148]), 0x11611611u);
    EXPECT_EQ(LoadU32(&c.bytes[384]), 0x28028028u);
    EXPECT_EQ(c.Get(EcuConfigBlock::cylinderCount), 4u);
    EXPECT_EQ(c.Get(EcuConfigBlock::ignitionSubType), 1u);
    EXPECT_EQ(c.Get(EcuConfigBlock::AtTableName(0)), "AT 1D#1");
    EXPECT_EQ(c.Get(EcuConfigBlock::AtTableName(15)), "AT 2D#8");
    EXPECT_EQ(c.Get(EcuConfigBlock::AtTableName(31)), "AT 2D Gear #8");
    EXPECT_EQ(c.Get(EcuConfigBlock::InputName(0)), m_config.Get(EcuConfigBlock::InputName(0)));
    EXPECT_EQ(c.Get(EcuConfigBlock::InputUnit(4)), m_config.Get(EcuConfigBlock::InputUnit(4)));
    EXPECT_EQ(c.Get(EcuConfigBlock::OutputKind(3)), m_config.Get(EcuConfigBlock::OutputKind(3)));
    const size_t in5 = EcuConfigBlock::inputChannelsOffset + 56 * 5;
    EXPECT_EQ(LoadU32(&c.bytes[in5 + 28]), 0xABCDu);  // u32 at 64, f32 at 72, f32 at 68
    EXPECT_EQ(LoadF32(&c.bytes[in5 + 32]), 3.0f);
    EXPECT_EQ(LoadF32(&c.bytes[in5 + 36]), 2.0f);
    EXPECT_EQ(LoadU32(&c.bytes[EcuConfigBlock::outputChannelsOffset + 36 * 7 + 28]), 77u);
    EXPECT_EQ(c.Get(EcuConfigBlock::OutputMode(7)), 1u);
    EXPECT_EQ(0, std::memcmp(&c.bytes[1340], config + 111748, 80));
    for (size_t k = 0; k < 10; ++k) {  // the ten trailing records: 0 ... 0, 1.0
        EXPECT_TRUE(Zero(out, 7712 + 8132 + 36 * k, 7712 + 8132 + 36 * k + 32));
        EXPECT_EQ(LoadF32(&c.bytes[8132 + 36 * k + 32]), 1.0f);
    }
}

TEST_F(LegacyConverterTest, BadFilesFailWithTheirLineAndWriteNothing) {
    // Each failure is its upgrader line and a reason naming the file.
    auto fails = [&](const std::string& name, const Bytes& data, const std::string& line,
                     Cause cause) {
        Write(name + ".dl", data);
        EXPECT_FALSE(Convert(name + ".dl")) << name;
        EXPECT_EQ(std::tuple(m_lines, m_failure.cause, m_failure.path),
                  std::tuple(Lines{line}, cause, Path(name + ".dl")));
        EXPECT_FALSE(fs::exists(Path(name + ".V4.dl"))) << name;
    };
    const Bytes bytes = GenerateLegacyBytes(2, m_options);
    Bytes bad = bytes;
    bad[0] ^= 1;
    fails("magic", bad, "-FAILED:Magic Number does not match", Cause::BadMagic);
    fails("empty", {}, kLegacyTooShort, Cause::TooShort);
    fails("four", Bytes(bytes.begin(), bytes.begin() + 4), kLegacyTooShort, Cause::TooShort);
    for (auto [major, minor] : {std::pair{0u, 0u}, {0u, 5u}, {1u, 2u}}) {
        bad = bytes;
        StoreU32(&bad[4], major);
        StoreU32(&bad[8], minor);
        fails("version", bad, "-VERSION:Unknown - upgrade not done", Cause::UnknownVersion);
    }
    // Too short for header and configuration: a failure, not a negative frame count. A
    // layout-2 length read as layout 3 is too short as well.
    const size_t head2 = LegacyHeaderSize(2) + kLegacyConfigSize;
    fails("short", Bytes(bytes.begin(), bytes.begin() + long(head2 - 1)), kLegacyTooShort,
          Cause::TooShort);
    bad = bytes;
    StoreU32(&bad[8], 3);
    bad.resize(head2 + 2 * kLegacyFrameSize);
    fails("short3", bad, kLegacyTooShort, Cause::TooShort);

    // A missing file and a V4 file: the upgrade verb's test. A target name taken (here by a
    // folder) is left alone.
    ASSERT_TRUE(WriteLegacyLog(Path("run.dl"), 3, m_options));
    fs::create_directory(Path("run.V4.dl"));
    const Bytes source = test::ReadBytes(Path("run.dl"));
    const auto files = m_dir.Names();
    EXPECT_FALSE(Convert("run.dl"));
    EXPECT_EQ(std::tuple(m_lines, m_failure.cause),
              std::tuple(Lines{"-VERSION:V3", kLegacyTargetExists}, Cause::TargetExists));
    EXPECT_EQ(test::ReadBytes(Path("run.dl")), source);
    EXPECT_EQ(m_dir.Names(), files);
}
