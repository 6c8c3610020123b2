#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "datalog/DataLogFrame.h"
#include "legacy/LegacyConverter.h"
#include "legacy/LegacyLayout.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"

using namespace quillon;
namespace fs = std::filesystem;

namespace {

class LegacyConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("quillon-legacy-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_options.frames = 40;
        m_options.rate = 100.0;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    static std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    bool Convert(const std::string& path) {
        m_lines.clear();
        return ConvertLegacyLog(path, [this](const std::string& line) { m_lines.push_back(line); });
    }

    fs::path m_dir;
    SampleLogOptions m_options;
    std::vector<std::string> m_lines;
};

const std::vector<std::string> kSuccess(int layout) {
    return {"-VERSION:V" + std::to_string(layout), "-READ: logfile read complete",
            "-WRITE: logfile writing", "-WRITE: conversion complete"};
}

bool AllZero(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

TEST_F(LegacyConverterTest, NewNameChangesTheFileNameOnlyAndNeverNamesTheSource) {
    EXPECT_EQ(LegacyConvertedPath("/logs/run.dl"), "/logs/run.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("/logs/a.DL"), "/logs/a.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("/old.dl/logs.DL/run.dl"), "/old.dl/logs.DL/run.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("a.dl.dl"), "a.V4.dl.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("/logs/run.Dl"), "/logs/run.Dl.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("/logs.dl/run"), "/logs.dl/run.V4.dl");
    EXPECT_EQ(LegacyConvertedPath("run"), "run.V4.dl");
}

TEST_F(LegacyConverterTest, Layout1KeepsTheNotesOnly) {
    std::string src = Path("run.dl");
    ASSERT_TRUE(WriteLegacyLog(src, 1, m_options));
    std::vector<uint8_t> before = Read(src);
    ASSERT_TRUE(Convert(src));
    EXPECT_EQ(m_lines, kSuccess(1));
    EXPECT_EQ(Read(src), before);  // the source is untouched

    std::vector<uint8_t> out = Read(Path("run.V4.dl"));
    ASSERT_EQ(out.size(), kFramesOffset + 40 * kFrameSize);
    DataLogHeader sample;
    EcuConfigBlock sampleConfig;
    FillSampleHeader(m_options, sample, sampleConfig);
    EXPECT_EQ(LoadU32(&out[0]), DataLogHeader::kMagic);
    EXPECT_EQ(LoadU32(&out[4]), 0u);
    EXPECT_EQ(LoadU32(&out[8]), 4u);
    EXPECT_EQ(0, std::memcmp(&out[12], &sample.bytes[12], 12));  // reserved12
    EXPECT_EQ(LoadU32(&out[24]), 7712u);
    EXPECT_EQ(0, std::memcmp(&out[28], &sample.bytes[28], 512));  // notes, every byte
    EXPECT_TRUE(AllZero(out, 540, 7712));
}

TEST_F(LegacyConverterTest, Layout2KeepsThePropertyFieldsInTheirPlaces) {
    std::string src = Path("run.DL");
    ASSERT_TRUE(WriteLegacyLog(src, 2, m_options));
    ASSERT_TRUE(Convert(src));
    EXPECT_EQ(m_lines, kSuccess(2));
    std::vector<uint8_t> bytes = Read(Path("run.V4.dl"));
    ASSERT_GE(bytes.size(), kFramesOffset);
    DataLogHeader out;
    std::memcpy(out.bytes.data(), bytes.data(), out.bytes.size());
    DataLogHeader sample;
    EcuConfigBlock sampleConfig;
    FillSampleHeader(m_options, sample, sampleConfig);
    EXPECT_EQ(out.Get(DataLogHeader::notes), sample.Get(DataLogHeader::notes));
    EXPECT_EQ(out.Get(DataLogHeader::globalFile), sample.Get(DataLogHeader::globalFile));
    EXPECT_EQ(out.Get(DataLogHeader::ecuSerial), sample.Get(DataLogHeader::ecuSerial));
    EXPECT_EQ(out.Get(DataLogHeader::dragTrack), sample.Get(DataLogHeader::dragTrack));
    EXPECT_EQ(out.Get(DataLogHeader::speed1320ft), sample.Get(DataLogHeader::speed1320ft));
    EXPECT_EQ(out.Get(DataLogHeader::maxPowerRpm), sample.Get(DataLogHeader::maxPowerRpm));
    EXPECT_EQ(out.Get(DataLogHeader::windBearing), sample.Get(DataLogHeader::windBearing));
    EXPECT_EQ(out.Get(DataLogHeader::weightLeftFront), sample.Get(DataLogHeader::weightLeftFront));
    EXPECT_EQ(out.Get(DataLogHeader::tirePressureRightRear),
              sample.Get(DataLogHeader::tirePressureRightRear));
    EXPECT_EQ(out.Get(DataLogHeader::trackTemperature), 0.0f);  // not in layout 2
    EXPECT_EQ(out.Get(DataLogHeader::zeroTime), 0.0f);
    EXPECT_TRUE(AllZero(bytes, 1072, 1200));
    EXPECT_TRUE(AllZero(bytes, 1824, 7712));
}

TEST_F(LegacyConverterTest, Layout3CarriesTheWholeHeaderAndMapsConfigurationAndFrames) {
    m_options.trailingBytes = 1000;  // a partial last frame is not written
    std::string src = Path("run3.dl");
    ASSERT_TRUE(WriteLegacyLog(src, 3, m_options));
    ASSERT_TRUE(Convert(src));
    EXPECT_EQ(m_lines, kSuccess(3));
    std::vector<uint8_t> out = Read(Path("run3.V4.dl"));
    ASSERT_EQ(out.size(), kFramesOffset + 40 * kFrameSize);

    DataLogHeader sample;
    EcuConfigBlock v4;
    FillSampleHeader(m_options, sample, v4);
    EXPECT_EQ(LoadU32(&out[8]), 4u);
    EXPECT_EQ(0, std::memcmp(&out[24], &sample.bytes[24], 7712 - 24));

    EcuConfigBlock config;
    std::memcpy(config.bytes.data(), &out[7712], config.bytes.size());
    for (const LegacyRun& r : kLegacyConfigRuns)
        EXPECT_EQ(
            0, std::memcmp(&config.bytes[size_t(r.to)], &v4.bytes[size_t(r.to)], size_t(r.count)))
            << "configuration bytes from " << r.to;
    EXPECT_EQ(config.GetAt(EcuConfigBlock::outputEnables, 5), 0u);  // gate of channel 44
    EXPECT_EQ(config.Get(EcuConfigBlock::fuelMode), 0u);
    EXPECT_EQ(config.Get(EcuConfigBlock::cylinderCount), 4u);
    EXPECT_EQ(config.Get(EcuConfigBlock::ignitionType), 0u);
    EXPECT_EQ(config.Get(EcuConfigBlock::ignitionSubType), 1u);
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableName(0)), "AT 1D#1");
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableName(15)), "AT 2D#8");
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableName(16)), "AT 1D Gear #1");
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableName(31)), "AT 2D Gear #8");
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableEnabled(3)), 0u);
    EXPECT_EQ(config.Get(EcuConfigBlock::AtTableType(3)), 0u);
    EXPECT_EQ(0, std::memcmp(&config.bytes[1340], &v4.bytes[1340], 80));
    for (size_t k : {size_t(0), size_t(41), size_t(79)}) {
        EXPECT_EQ(config.Get(EcuConfigBlock::InputName(k)), v4.Get(EcuConfigBlock::InputName(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::InputKind(k)), v4.Get(EcuConfigBlock::InputKind(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::InputEnabled(k)),
                  v4.Get(EcuConfigBlock::InputEnabled(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::InputUnit(k)), v4.Get(EcuConfigBlock::InputUnit(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::InputFormat(k)),
                  v4.Get(EcuConfigBlock::InputFormat(k)));
        size_t at = EcuConfigBlock::inputChannelsOffset + 56 * k + 28;
        EXPECT_EQ(0, std::memcmp(&config.bytes[at], &v4.bytes[at], 12));
    }
    for (size_t k : {size_t(0), size_t(61)}) {
        EXPECT_EQ(config.Get(EcuConfigBlock::OutputName(k)), v4.Get(EcuConfigBlock::OutputName(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::OutputKind(k)), v4.Get(EcuConfigBlock::OutputKind(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::OutputEnabled(k)),
                  v4.Get(EcuConfigBlock::OutputEnabled(k)));
        EXPECT_EQ(config.Get(EcuConfigBlock::OutputMode(k)), v4.Get(EcuConfigBlock::OutputMode(k)));
    }
    for (size_t k = 0; k < 10; ++k) {
        size_t at = 8132 + 36 * k;
        EXPECT_TRUE(AllZero(out, 7712 + at, 7712 + at + 32));
        EXPECT_EQ(LoadF32(&config.bytes[at + 32]), 1.0f);
    }

    // Every V4 slot the legacy frame carries equals the sample; the others are zero.
    uint8_t expected[kFrameSize];
    for (int i = 0; i < 40; ++i) {
        FillSampleFrame(m_options, i, expected);
        const uint8_t* frame = &out[kFramesOffset + size_t(i) * kFrameSize];
        ASSERT_EQ(LoadU64(frame), LoadU64(expected)) << "frame " << i;
        for (int s = 1; s < kSlotCount; ++s) {
            bool carried = LegacySlotOfV4Slot(s) >= 0;
            uint64_t got = LoadU64(frame + 8 * s);
            ASSERT_EQ(got, carried ? LoadU64(expected + 8 * s) : 0u)
                << "frame " << i << " slot " << s;
        }
    }
}

TEST_F(LegacyConverterTest, SlotMapUsesEveryLegacySlotOnce) {
    std::vector<int> uses(kLegacySlotCount, 0);
    for (int s = 1; s < kSlotCount; ++s)
        if (int from = LegacySlotOfV4Slot(s); from >= 0) ++uses[size_t(from)];
    for (int j = 1; j < kLegacySlotCount; ++j)
        EXPECT_EQ(uses[size_t(j)], 1) << "legacy slot " << j;
    EXPECT_EQ(LegacySlotOfV4Slot(43), -1);  // channel 44 does not exist in legacy logs
    EXPECT_EQ(LegacySlotOfV4Slot(44), 43);
    EXPECT_EQ(LegacySlotOfV4Slot(298), 127);
    EXPECT_EQ(LegacySlotOfV4Slot(439), 268);
}

TEST_F(LegacyConverterTest, TimestampsInTenMillisecondUnitsBecomeMilliseconds) {
    m_options.frames = 1;
    std::vector<uint8_t> bytes = GenerateLegacyBytes(1, m_options);
    size_t frame = LegacyHeaderSize(1) + kLegacyConfigSize;
    StoreU64(&bytes[frame], 12345);
    StoreF32(&bytes[frame + 8 * 43], 7.5f);  // legacy slot 43 -> V4 slot 44
    StoreU32(&bytes[frame + 8 * 43 + 4], 9);
    Write(Path("t.dl"), bytes);
    ASSERT_TRUE(Convert(Path("t.dl")));
    std::vector<uint8_t> out = Read(Path("t.V4.dl"));
    ASSERT_EQ(out.size(), kFramesOffset + kFrameSize);
    EXPECT_EQ(LoadU64(&out[kFramesOffset]), 123450u);
    EXPECT_EQ(LoadF32(&out[kFramesOffset + 8 * 44]), 7.5f);
    EXPECT_EQ(LoadU32(&out[kFramesOffset + 8 * 44 + 4]), 9u);
    EXPECT_EQ(LoadU64(&out[kFramesOffset + 8 * 43]), 0u);
}

TEST_F(LegacyConverterTest, BadFilesFailWithTheirLineAndWriteNothing) {
    EXPECT_FALSE(Convert(Path("missing.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{"-FAILED:There was an error opening the file"});
    EXPECT_FALSE(Convert(m_dir.string()));  // a folder
    EXPECT_EQ(m_lines, std::vector<std::string>{"-FAILED:There was an error opening the file"});

    std::vector<uint8_t> bytes = GenerateLegacyBytes(2, m_options);
    std::vector<uint8_t> bad = bytes;
    bad[0] ^= 1;
    Write(Path("magic.dl"), bad);
    EXPECT_FALSE(Convert(Path("magic.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{"-FAILED:Magic Number does not match"});
    Write(Path("empty.dl"), {});
    EXPECT_FALSE(Convert(Path("empty.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{"-FAILED:Magic Number does not match"});

    for (auto [major, minor] : {std::pair{0u, 0u}, {0u, 5u}, {1u, 2u}}) {
        bad = bytes;
        StoreU32(&bad[4], major);
        StoreU32(&bad[8], minor);
        Write(Path("version.dl"), bad);
        EXPECT_FALSE(Convert(Path("version.dl")));
        EXPECT_EQ(m_lines, std::vector<std::string>{"-VERSION:Unknown - upgrade not done"});
    }

    // Too short for the header and configuration block: no frame count below zero.
    bad.assign(bytes.begin(), bytes.begin() + long(LegacyHeaderSize(2) + kLegacyConfigSize - 1));
    Write(Path("short.dl"), bad);
    EXPECT_FALSE(Convert(Path("short.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{kLegacyTooShort});
    // A layout-1 length read as layout 3 is too short as well.
    StoreU32(&bytes[8], 3);
    bytes.resize(LegacyHeaderSize(1) + kLegacyConfigSize + 2 * kLegacyFrameSize);
    Write(Path("short3.dl"), bytes);
    EXPECT_FALSE(Convert(Path("short3.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{kLegacyTooShort});

    for (const char* name : {"magic.V4.dl", "empty.V4.dl", "version.V4.dl", "short.V4.dl",
                             "short3.V4.dl", "missing.V4.dl"})
        EXPECT_FALSE(fs::exists(Path(name))) << name;
}

TEST_F(LegacyConverterTest, AV4FileNeedsNoUpgrade) {
    std::vector<uint8_t> v4 = GenerateV4Bytes(m_options);
    Write(Path("new.dl"), v4);
    EXPECT_TRUE(Convert(Path("new.dl")));
    EXPECT_EQ(m_lines, std::vector<std::string>{"-VERSION:V4 - upgrade not required"});
    EXPECT_FALSE(fs::exists(Path("new.V4.dl")));
}

TEST_F(LegacyConverterTest, AHeaderOnlyFileGivesAnEmptyLog) {
    m_options.frames = 0;
    m_options.trailingBytes = 2151;
    ASSERT_TRUE(WriteLegacyLog(Path("none.dl"), 2, m_options));
    ASSERT_TRUE(Convert(Path("none.dl")));
    EXPECT_EQ(m_lines, kSuccess(2));
    EXPECT_EQ(fs::file_size(Path("none.V4.dl")), kFramesOffset);
}

TEST_F(LegacyConverterTest, AnUncreatableTargetFailsAndKeepsWhatWasThere) {
    ASSERT_TRUE(WriteLegacyLog(Path("run.dl"), 3, m_options));
    fs::create_directory(Path("run.V4.dl"));  // the new name is taken by a folder
    std::vector<uint8_t> before = Read(Path("run.dl"));
    EXPECT_FALSE(Convert(Path("run.dl")));
    ASSERT_FALSE(m_lines.empty());
    EXPECT_EQ(m_lines.front(), "-VERSION:V3");
    EXPECT_EQ(m_lines.back(), "-FAILED:There was an error opening the new file to write");
    EXPECT_TRUE(fs::is_directory(Path("run.V4.dl")));
    EXPECT_EQ(Read(Path("run.dl")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
}

TEST_F(LegacyConverterTest, ProgressCountsEveryFrame) {
    m_options.frames = 600;
    ASSERT_TRUE(WriteLegacyLog(Path("p.dl"), 1, m_options));
    int64_t last = -1, total = -1;
    int calls = 0;
    ASSERT_TRUE(ConvertLegacyLog(Path("p.dl"), {}, [&](int64_t done, int64_t all) {
        EXPECT_GT(done, last);
        last = done;
        total = all;
        ++calls;
    }));
    EXPECT_EQ(last, 600);
    EXPECT_EQ(total, 600);
    EXPECT_GE(calls, 2);
}
