#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "format/DataLogFrame.h"

namespace quillon {
namespace {

using E = EcuConfigBlock;

/// A channel's value format, unit and the text of `value` together.
auto Texts(const EcuConfigBlock& b, int channel, float value = 1.0f) {
    return std::tuple(GetChannelValueFormat(b, channel), GetChannelUnit(b, channel),
                      GetChannelValueText(b, channel, value));
}

/// Fills a text field to its full width, without the terminator a full field does not have.
void SetFull(EcuConfigBlock& b, TextField f, const char* text) {
    std::memcpy(b.bytes.data() + f.offset, text, std::min(std::strlen(text), f.size));
}

TEST(ChannelNames, FixedConfiguredAndUnknownChannels) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelName(b, 0), "--------------");
    EXPECT_EQ(GetChannelName(b, 266), "AT Gear");
    EXPECT_EQ(GetChannelName(b, 267), "");  // an AT table name is shown as stored, even empty
    EXPECT_EQ(GetChannelName(b, 378), "Input #80");
    EXPECT_EQ(GetChannelName(b, 379), "Output #1");
    EXPECT_EQ(GetChannelName(b, 441), "Unknown Channel 441");

    b.Set(E::AtTableName(0), "Launch Timing");
    b.Set(E::OutputName(61), "Fan PWM");
    EXPECT_EQ(GetChannelName(b, 267), "Launch Timing");
    EXPECT_EQ(GetChannelName(b, 440), "Fan PWM");
    // A full 20-byte name must not run into the next field.
    SetFull(b, E::InputName(2), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    b.Set(E::InputKind(2), 0x41414141);
    EXPECT_EQ(GetChannelName(b, 301), "ABCDEFGHIJKLMNOPQRST");
}

TEST(ChannelValueText, CatalogueChannelsMarkerAndOutOfRange) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelValueText(b, 3, 1.234f), "1.23 msec");
    EXPECT_EQ(GetChannelValueText(b, 4, 12.34f), "12.3%");
    EXPECT_EQ(GetChannelValueText(b, 20, 50.0f), "50 %/sec");
    EXPECT_EQ(GetChannelValueText(b, 31, 180.0f),
              "180\xB0"
              "F");

    b.Set(E::OutputKind(0), 0x200);
    for (int c = 1; c <= kChannelCount; ++c)
        EXPECT_EQ(GetChannelValueText(b, c, kNoValue), "-");
    for (int c : {0, -1, 441})
        EXPECT_EQ(Texts(b, c), std::tuple("", "", "")) << c;
}

TEST(ChannelValueText, AtTablesAndOutputsFollowTheirConfiguration) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelValueFormat(b, 379), "%.0f");
    b.Set(E::AtTableType(0), 11);
    b.Set(E::boostTargetUnits, 2);
    EXPECT_EQ(GetChannelValueText(b, 267, 12.0f), "12%");
    b.Set(E::boostTargetUnits, 0);
    EXPECT_EQ(Texts(b, 267, 12.0f), std::tuple("%.0fpsi", "psi", "12psi"));
    b.Set(E::AtTableType(31), 200);
    EXPECT_EQ(Texts(b, 298, 1.25f), std::tuple("%.1f", "", "1.2"));

    b.Set(E::OutputKind(0), 0x200);
    EXPECT_EQ(Texts(b, 379, 2.5f), std::tuple("%.2f msec", "msec", "2.50 msec"));
    b.Set(E::OutputMode(0), 3);
    EXPECT_EQ(Texts(b, 379, 55.55f), std::tuple("%.1f%%", "%", "55.5%"));
}

TEST(ChannelValueText, InputsUseTheirKindUnitAndFormat) {
    EcuConfigBlock b{};
    b.Set(E::InputFormat(0), "%.2f");
    b.Set(E::InputUnit(0), "psi");
    EXPECT_EQ(GetChannelValueText(b, 299, 1.005f), "1.00psi");
    for (uint32_t kind : {0x08u, 0x10u}) {  // on/off inputs ignore the stored unit and format
        b.Set(E::InputKind(0), kind);
        EXPECT_EQ(Texts(b, 299, 1.0f), std::tuple("%.0f", "", "1")) << kind;
    }

    // Stored per cent signs in a unit print as themselves, never as directives.
    b.Set(E::InputFormat(1), "%.1f");
    b.Set(E::InputUnit(1), "%");
    EXPECT_EQ(Texts(b, 300, 42.0f), std::tuple("%.1f%%", "%", "42.0%"));
    b.Set(E::InputUnit(1), "%s%n");
    EXPECT_EQ(GetChannelValueText(b, 300, 42.0f), "42.0%s%n");

    // Full 8-byte format and unit texts have no terminator.
    SetFull(b, E::InputFormat(2), "%6.2f  V");
    SetFull(b, E::InputUnit(2), "12345678");
    EXPECT_EQ(GetChannelValueText(b, 301, 1.5f), "  1.50  V12345678");

    // A format that is not one plain float conversion is replaced before it reaches printf.
    b.Set(E::InputUnit(0), "V");
    b.Set(E::InputKind(0), 0);
    for (const char* format : {"%s", "%n", "%d", "%.1f%s", "%*.1f", "%Lf", "%100f", "", "%"}) {
        b.Set(E::InputFormat(0), format);
        EXPECT_EQ(GetChannelValueText(b, 299, 2.25f), "2.2V") << format;
    }
}

TEST(TableTypes, NumberedNamesBoostUnitsAndUnknownTypes) {
    EXPECT_EQ(GetTableTypeDescription(0, 0).helpText,
              "0 lb/hr is the neutral value that does not modify fuel flow.   A positive value "
              "adds fuel flow.");
    EXPECT_EQ(GetTableTypeDescription(8, 0).helpText, GetTableTypeDescription(7, 0).helpText);
    EXPECT_EQ(GetTableTypeDescription(4, 0).helpText.substr(0, 5), "0\xB0 is");
    EXPECT_EQ(GetTableTypeDescription(11, 2).unit, "%");
    EXPECT_EQ(GetTableTypeDescription(11, 3).minimum, -999.0f);
    EXPECT_EQ(GetTableTypeDescription(19, 0).name, "Nitrous Stage #8 Offset");
    EXPECT_EQ(GetTableTypeDescription(36, 0).name, "Cylinder #16 Timing Offset");
    EXPECT_EQ(GetTableTypeDescription(37, 0).name, "Cylinder #1 Fuel Multiplier");
    EXPECT_EQ(GetTableTypeDescription(55, 0).name, "Dwell Time Offset");
    for (uint32_t type = 0; type < 56; ++type)
        EXPECT_NE(GetTableTypeDescription(type, 0).name, "Unknown") << type;
    for (uint32_t type : {56u, 0xFFFFFFFFu}) {
        const TableTypeDescription d = GetTableTypeDescription(type, 2);
        EXPECT_EQ(std::tuple(d.name, d.helpText, d.unit, d.maximum),
                  std::tuple("Unknown", "Unknown Table Type", "", 100.0f));
    }
}

TEST(ValueFormats, CheckCutAndFallback) {
    for (const char* ok : {"%f", "%.1f", "%-8.3f", "%.1f%%", "x %.0f y", "%.f", "%99.99f"})
        EXPECT_TRUE(IsSingleFloatFormat(ok)) << ok;
    for (const char* bad : {"", "%%", "%e", "%.1f%.1f", "%.*f", "%.100f", "%.1", "%lf", "%1$f"})
        EXPECT_FALSE(IsSingleFloatFormat(bad)) << bad;
    EXPECT_EQ(NumberFormatOf("%.1f A/F"), "%.1f");
    EXPECT_EQ(NumberFormatOf("%.1f%%"), "%.1f");
    EXPECT_EQ(FormatValue("%s", 1.0f), "1.0");
}

}  // namespace
}  // namespace quillon
