#include <gtest/gtest.h>

#include "format/DlzCodec.h"
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
