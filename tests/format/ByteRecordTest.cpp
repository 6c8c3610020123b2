#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"

using namespace quillon;

TEST(ByteRecord, FieldsLandAtTheirFileOffsetsLittleEndian) {
    DataLogHeader h;
    h.Set(DataLogHeader::magic, DataLogHeader::kMagic);
    h.Set(DataLogHeader::zeroTime, 1.5f);  // 0x3FC00000
    EXPECT_EQ(std::vector<uint8_t>(h.bytes.begin(), h.bytes.begin() + 4),
              (std::vector<uint8_t>{0x1F, 0xF4, 0x85, 0x00}));
    EXPECT_EQ(std::pair(h.bytes[540 + 2], h.bytes[540 + 3]),
              std::pair(uint8_t(0xC0), uint8_t(0x3F)));
    EcuConfigBlock c;
    c.Set(EcuConfigBlock::OutputMode(61), 7);
    EXPECT_EQ(c.bytes[13612 - 7712 + 61 * 36 + 32], 7);
}

TEST(ByteRecord, TextsKeepTheBytesAfterTheirTerminator) {
    DataLogHeader h;
    h.bytes.fill(0xAA);
    h.Set(DataLogHeader::dragLane, "Left");
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "Left");
    EXPECT_EQ(std::pair(h.bytes[1220 + 4], h.bytes[1220 + 5]),
              std::pair(uint8_t(0), uint8_t(0xAA)));
    // Overlong texts are cut to size - 1 characters.
    h.Set(DataLogHeader::dragLane, "LeftLaneXYZ");
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "LeftLan");
    // A text filling its field without a terminator reads to the field's end only.
    for (int i = 0; i < 8; ++i)
        h.bytes[1220 + i] = 'x';
    EXPECT_EQ(h.Get(DataLogHeader::dragLane), "xxxxxxxx");
}
