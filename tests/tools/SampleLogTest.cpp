#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "format/DlzCodec.h"
#include "model/ChannelInfo.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/TempFolder.h"

using namespace quillon;
using namespace quillon::test;

TEST(SampleLog, SameSeedSameBytesWhetherStreamedOrBuiltInMemory) {
    SampleLogOptions o{.frames = 1200, .trailingBytes = 77};  // more than one streaming block
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    EXPECT_EQ(bytes.size(), kFramesOffset + 1200 * kFrameSize + 77);
    EXPECT_EQ(GenerateV4Bytes(o), bytes);
    EXPECT_NE(GenerateV4Bytes({.frames = 1200, .seed = 2, .trailingBytes = 77}), bytes);

    TempFolder dir;
    std::string error;
    ASSERT_TRUE(WriteSampleLog(dir / "a.dl", o, &error)) << error;
    EXPECT_EQ(ReadBytes(dir / "a.dl"), bytes);
    o.trailingBytes = 0;
    ASSERT_TRUE(WriteSampleDlz(dir / "a.dlz", o, &error)) << error;
    std::vector<uint8_t> dlz = ReadBytes(dir / "a.dlz");
    EXPECT_EQ(DecodeDlz(dlz.data(), dlz.size()), GenerateV4Bytes(o));
    EXPECT_FALSE(WriteSampleLog(dir / "missing/a.dl", o, &error));
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
