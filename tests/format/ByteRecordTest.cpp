#include <gtest/gtest.h>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"

using namespace quillon;

TEST(ByteRecord, FieldsLandAtTheirFileOffsetsLittleEndian) {
    DataLogHeader h;
    h.Set(DataLogHeader::magic, DataLogHeader::kMagic);
    EXPECT_EQ(h.bytes[0], 0x1F);
    EXPECT_EQ(h.bytes[1], 0xF4);
    EXPECT_EQ(h.bytes[2], 0x85);
    EXPECT_EQ(h.bytes[3], 0x00);
    h.Set(DataLogHeader::zeroTime, 1.5f);
    EXPECT_EQ(h.bytes[540 + 3], 0x3F);  // 1.5f = 0x3FC00000
    EXPECT_EQ(h.bytes[540 + 2], 0xC0);
    EcuConfigBlock c;
    c.Set(EcuConfigBlock::OutputMode(61), 7);
    EXPECT_EQ(c.bytes[13612 - 7712 + 61 * 36 + 32], 7);
}

TEST(ByteRecord, TextsKeepTheBytesAfterTheirTerminator) {
    DataLogHeader h;
    h.bytes.fill(0xAA);
    h.Set(DataLogHeader::dragLane, "Left");
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "Left");
    EXPECT_EQ(h.bytes[1220 + 4], 0);
    EXPECT_EQ(h.bytes[1220 + 5], 0xAA);
    // Overlong texts are cut to size - 1 characters.
    h.Set(DataLogHeader::dragLane, "LeftLaneXYZ");
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "LeftLan");
    // A text filling its field without a terminator reads to the field's end only.
    for (int i = 0; i < 8; ++i)
        h.bytes[1220 + i] = 'x';
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "xxxxxxxx");
}
