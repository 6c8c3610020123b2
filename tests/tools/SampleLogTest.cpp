#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

#include "model/ChannelInfo.h"
#include "texts/FailureText.h"
#include "model/DataLogFile.h"
#include "format/DlzCodec.h"
#include "samplegen/SampleLog.h"

using namespace quillon;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

LogData Load(const std::vector<uint8_t>& bytes) {
    LogData log;
    Result r = ReadDataLogBytes(bytes.data(), bytes.size(), log);
    EXPECT_TRUE(r.ok()) << FailureText(r);
    return log;
}

}  // namespace

TEST(SampleLog, SameSeedSameBytesWhetherStreamedOrBuiltInMemory) {
    SampleLogOptions o;
    o.frames = 1200;  // more than one streaming block
    o.trailingBytes = 77;
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    EXPECT_EQ(bytes.size(), kFramesOffset + 1200 * kFrameSize + 77);
    EXPECT_EQ(GenerateV4Bytes(o), bytes);
    SampleLogOptions other = o;
    other.seed = 2;
    EXPECT_NE(GenerateV4Bytes(other), bytes);

    fs::path dir = fs::temp_directory_path() / ("quillon-sample-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(WriteSampleLog((dir / "a.dl").string(), o, &error)) << error;
    EXPECT_EQ(ReadBytes((dir / "a.dl").string()), bytes);
    o.trailingBytes = 0;
    ASSERT_TRUE(WriteSampleDlz((dir / "a.dlz").string(), o, &error)) << error;
    std::vector<uint8_t> dlz = ReadBytes((dir / "a.dlz").string());
    EXPECT_EQ(DecodeDlz(dlz.data(), dlz.size()), GenerateV4Bytes(o));
    EXPECT_FALSE(WriteSampleLog((dir / "missing/a.dl").string(), o, &error));
    fs::remove_all(dir);
}

TEST(SampleLog, ModelsADragPassWithRealisticStatuses) {
    SampleLogOptions o;
    o.frames = 6000;  // one whole pass at 100 Hz
    LogData log = Load(GenerateV4Bytes(o));
    EXPECT_NEAR(log.values[0][5999], 59.99f, 1e-4);
    EXPECT_GT(log.maxRpm, 7000.0f);
    EXPECT_LT(log.maxRpm, 8000.0f);
    EXPECT_GT(log.maxMap, 250.0f);                                                      // boost
    EXPECT_EQ(*std::max_element(&log.values[160][0], &log.values[160][6000]), 100.0f);  // nitrous

    std::set<int> gears;  // 1 to 4, whole
    int repeats = 0, nonZeroStatus = 0;
    for (int i = 0; i < log.frameCount; ++i) {
        gears.insert(int(log.values[219][size_t(i)]));
        if (i > 0) {
            // Whole milliseconds, always increasing.
            ASSERT_GT(log.values[0][size_t(i)], log.values[0][size_t(i - 1)]);
            bool same = true;
            for (int s = 1; s < kSlotCount && same; ++s)
                same = log.values[s][size_t(i)] == log.values[s][size_t(i - 1)];
            repeats += same;
        }
        for (int s = 1; s < kSlotCount; ++s) {
            uint32_t status = log.status[s][size_t(i)];
            ASSERT_LE(status, 53u) << "slot " << s;
            nonZeroStatus += status != 0;
        }
    }
    EXPECT_EQ(gears, (std::set<int>{1, 2, 3, 4}));
    EXPECT_GT(repeats, 50);
    EXPECT_GT(nonZeroStatus, 0);
    EXPECT_LT(nonZeroStatus, log.frameCount * kSlotCount / 20);  // mostly 0
}

TEST(SampleLog, ConfigurationEnablesFeatureChannelsAndNamedInputs) {
    SampleLogOptions o;
    DataLogHeader h;
    EcuConfigBlock c;
    FillSampleHeader(o, h, c);
    EXPECT_EQ(h.Get(DataLogHeader::versionMinor), 4u);
    // Boost, nitrous, transmission, drive-by-wire, AT tables, inputs, outputs; not all of them.
    for (int ch : {8, 24, 49, 94, 110, 131, 161, 220, 233, 263, 267, 299, 379})
        EXPECT_TRUE(IsChannelAvailable(c, ch)) << ch;
    for (int ch : {40, 102, 132, 150, 237, 264, 305, 384})
        EXPECT_FALSE(IsChannelAvailable(c, ch)) << ch;
    EXPECT_EQ(c.Get(EcuConfigBlock::InputName(4)), "EGT Cyl 1");
    EXPECT_EQ(c.Get(EcuConfigBlock::InputUnit(4)),
              "\xB0"
              "F");

    o.allFeatures = false;
    FillSampleHeader(o, h, c);
    EXPECT_EQ(c, EcuConfigBlock{});
    EXPECT_EQ(h.Get(DataLogHeader::notes), "");
}
