#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "datalog/ChannelInfo.h"
#include "datalog/ChannelNaming.h"
#include "datalog/DataLogFrame.h"

namespace quillon {
namespace {

using E = EcuConfigBlock;

/// Writes raw bytes into a text field, without the terminator a full field does not have.
void SetRaw(EcuConfigBlock& b, TextField f, const char* text) {
    std::memcpy(b.bytes.data() + f.offset, text, std::min(std::strlen(text), f.size));
}

TEST(ChannelNames, FixedConfiguredAndUnknownChannels) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelName(b, 0), "--------------");
    EXPECT_EQ(GetChannelName(b, 1), "RTC");
    EXPECT_EQ(GetChannelName(b, 266), "AT Gear");
    EXPECT_EQ(GetChannelName(b, 267), "");  // an AT table name is shown as stored, even empty
    EXPECT_EQ(GetChannelName(b, 299), "Input #1");
    EXPECT_EQ(GetChannelName(b, 378), "Input #80");
    EXPECT_EQ(GetChannelName(b, 379), "Output #1");
    EXPECT_EQ(GetChannelName(b, 440), "Output #62");
    EXPECT_EQ(GetChannelName(b, 441), "Unknown Channel 441");
    EXPECT_EQ(GetChannelName(b, -3), "Unknown Channel -3");

    b.Set(E::AtTableName(0), "Launch Timing");
    b.Set(E::InputName(1), "Shock FL");
    b.Set(E::OutputName(61), "Fan PWM");
    EXPECT_EQ(GetChannelName(b, 267), "Launch Timing");
    EXPECT_EQ(GetChannelName(b, 300), "Shock FL");
    EXPECT_EQ(GetChannelName(b, 440), "Fan PWM");

    // A full 20-byte name has no terminator; it must not run into the next field.
    SetRaw(b, E::InputName(2), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    b.Set(E::InputKind(2), 0x41414141);
    EXPECT_EQ(GetChannelName(b, 301), "ABCDEFGHIJKLMNOPQRST");
}

TEST(ChannelValueText, CatalogueChannels) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelValueText(b, 2, 1234.4f), "1234");
    EXPECT_EQ(GetChannelValueText(b, 3, 1.234f), "1.23 msec");
    EXPECT_EQ(GetChannelValueText(b, 4, 12.34f), "12.3%");
    EXPECT_EQ(GetChannelValueText(b, 23, 12.5f), "12.5\xB0");
    EXPECT_EQ(GetChannelValueText(b, 31, 180.0f),
              "180\xB0"
              "F");
    EXPECT_EQ(GetChannelValueText(b, 1, -0.25f), "-0.250 sec");
    EXPECT_EQ(GetChannelUnit(b, 2), "RPM");
    EXPECT_EQ(GetChannelValueFormat(b, 20), "%.0f %%/sec");
    EXPECT_EQ(GetChannelValueText(b, 20, 50.0f), "50 %/sec");
}

TEST(ChannelValueText, NoValueMarkerAndOutOfRangeChannels) {
    EcuConfigBlock b{};
    b.Set(E::OutputKind(0), 0x200);
    for (int c = 1; c <= kChannelCount; ++c)
        EXPECT_EQ(GetChannelValueText(b, c, kNoValue), "-");
    EXPECT_EQ(GetChannelValueText(b, 2, -999998.0f), "-999998");
    for (int c : {0, -1, 441, 1000}) {
        EXPECT_EQ(GetChannelValueFormat(b, c), "") << c;
        EXPECT_EQ(GetChannelUnit(b, c), "") << c;
        EXPECT_EQ(GetChannelValueText(b, c, 1.0f), "") << c;
        EXPECT_EQ(GetChannelValueText(b, c, kNoValue), "") << c;
    }
}

TEST(ChannelValueText, AtTablesTakeTheirTableType) {
    EcuConfigBlock b{};
    b.Set(E::AtTableType(0), 11);
    b.Set(E::boostTargetUnits, 2);
    EXPECT_EQ(GetChannelValueFormat(b, 267), "%.0f%%");
    EXPECT_EQ(GetChannelUnit(b, 267), "%");
    EXPECT_EQ(GetChannelValueText(b, 267, 12.0f), "12%");
    b.Set(E::boostTargetUnits, 0);
    EXPECT_EQ(GetChannelValueFormat(b, 267), "%.0fpsi");
    EXPECT_EQ(GetChannelValueText(b, 267, 12.0f), "12psi");

    b.Set(E::AtTableType(31), 200);
    EXPECT_EQ(GetChannelValueFormat(b, 298), "%.1f");
    EXPECT_EQ(GetChannelUnit(b, 298), "");
    EXPECT_EQ(GetChannelValueText(b, 298, 3.14f), "3.1");

    b.Set(E::AtTableType(5), 4);
    EXPECT_EQ(GetChannelValueText(b, 272, -2.5f), "-2.5\xB0");
}

TEST(ChannelValueText, InputsUseTheirKindUnitAndFormat) {
    EcuConfigBlock b{};
    b.Set(E::InputFormat(0), "%.2f");
    b.Set(E::InputUnit(0), "psi");
    EXPECT_EQ(GetChannelValueFormat(b, 299), "%.2fpsi");
    EXPECT_EQ(GetChannelUnit(b, 299), "psi");
    EXPECT_EQ(GetChannelValueText(b, 299, 1.005f), "1.00psi");

    // On/off inputs ignore the stored unit and format.
    for (uint32_t kind : {0x08u, 0x10u, 0x18u, 0xFFu}) {
        b.Set(E::InputKind(0), kind);
        EXPECT_EQ(GetChannelValueFormat(b, 299), "%.0f") << kind;
        EXPECT_EQ(GetChannelUnit(b, 299), "") << kind;
    }
    b.Set(E::InputKind(0), 0x07);
    EXPECT_EQ(GetChannelUnit(b, 299), "psi");

    // A stored "%" unit prints as a per cent sign.
    b.Set(E::InputFormat(1), "%.1f");
    b.Set(E::InputUnit(1), "%");
    EXPECT_EQ(GetChannelValueFormat(b, 300), "%.1f%%");
    EXPECT_EQ(GetChannelValueText(b, 300, 42.0f), "42.0%");
    b.Set(E::InputUnit(1), "%s%n%%");
    EXPECT_EQ(GetChannelValueText(b, 300, 42.0f), "42.0%s%n%%");

    // Full 8-byte format and unit texts have no terminator.
    SetRaw(b, E::InputFormat(2), "%6.2f  V");
    SetRaw(b, E::InputUnit(2), "12345678");
    EXPECT_EQ(GetChannelValueFormat(b, 301), "%6.2f  V12345678");
    EXPECT_EQ(GetChannelValueText(b, 301, 1.5f), "  1.50  V12345678");
}

TEST(ChannelValueText, UntrustedInputFormatsNeverReachPrintf) {
    EcuConfigBlock b{};
    b.Set(E::InputUnit(0), "V");
    for (const char* format : {"%s", "%n", "%d", "%p", "%.1f%s", "%.1f%f", "%*.1f", "%Lf", "%lf",
                               "%100f", "%.100f", "", "abc", "%", "%.1"}) {
        b.Set(E::InputFormat(0), format);
        EXPECT_EQ(GetChannelValueFormat(b, 299), "%.1fV") << format;
        EXPECT_EQ(GetChannelValueText(b, 299, 2.25f), "2.2V") << format;
    }
}

TEST(ChannelValueText, OutputsFollowKindAndMode) {
    EcuConfigBlock b{};
    EXPECT_EQ(GetChannelValueFormat(b, 379), "%.0f");
    EXPECT_EQ(GetChannelUnit(b, 379), "");
    b.Set(E::OutputKind(0), 0x200);
    EXPECT_EQ(GetChannelValueFormat(b, 379), "%.2f msec");
    EXPECT_EQ(GetChannelUnit(b, 379), "msec");
    b.Set(E::OutputMode(0), 3);
    EXPECT_EQ(GetChannelValueFormat(b, 379), "%.1f%%");
    EXPECT_EQ(GetChannelUnit(b, 379), "%");
    EXPECT_EQ(GetChannelValueText(b, 379, 55.55f), "55.5%");
    b.Set(E::OutputKind(0), 0x1FF);  // none of 0x600
    EXPECT_EQ(GetChannelValueFormat(b, 379), "%.0f");
}

TEST(TableTypes, DescriptionsOfEveryType) {
    EXPECT_EQ(GetTableTypeDescription(0, 0).helpText,
              "0 lb/hr is the neutral value that does not modify fuel flow.   A positive value "
              "adds fuel flow.");
    EXPECT_EQ(GetTableTypeDescription(0, 0).numberFormat, "%.3f");
    EXPECT_EQ(GetTableTypeDescription(8, 0).helpText, GetTableTypeDescription(7, 0).helpText);
    EXPECT_EQ(GetTableTypeDescription(9, 0).helpText.substr(0, 10), "0 RPM  is ");
    EXPECT_EQ(GetTableTypeDescription(4, 0).unit, "\xB0");
    EXPECT_EQ(GetTableTypeDescription(4, 0).helpText.substr(0, 5), "0\xB0 is");

    const TableTypeDescription boostPercent = GetTableTypeDescription(11, 2);
    const TableTypeDescription boostPsi = GetTableTypeDescription(11, 3);
    EXPECT_EQ(boostPercent.name, "Boost Offset");
    EXPECT_EQ(boostPercent.unit, "%");
    EXPECT_EQ(boostPsi.unit, "psi");
    EXPECT_EQ(boostPsi.minimum, -999.0f);
    EXPECT_EQ(boostPsi.helpText.substr(0, 6), "0 PSI ");

    EXPECT_EQ(GetTableTypeDescription(12, 0).name, "Nitrous Stage #1 Offset");
    EXPECT_EQ(GetTableTypeDescription(19, 0).name, "Nitrous Stage #8 Offset");
    EXPECT_EQ(GetTableTypeDescription(20, 0).name, "Drive By Wire Offset");
    EXPECT_EQ(GetTableTypeDescription(20, 0).maximum, 5.0f);
    EXPECT_EQ(GetTableTypeDescription(21, 0).name, "Cylinder #1 Timing Offset");
    EXPECT_EQ(GetTableTypeDescription(36, 0).name, "Cylinder #16 Timing Offset");
    EXPECT_EQ(GetTableTypeDescription(37, 0).name, "Cylinder #1 Fuel Multiplier");
    EXPECT_EQ(GetTableTypeDescription(52, 0).name, "Cylinder #16 Fuel Multiplier");
    EXPECT_EQ(GetTableTypeDescription(52, 0).minimum, -500.0f);
    EXPECT_EQ(GetTableTypeDescription(53, 0).name, "Injector End Angle Offset");
    EXPECT_EQ(GetTableTypeDescription(54, 0).maximum, 999.0f);
    EXPECT_EQ(GetTableTypeDescription(55, 0).unit, "msec");
    for (uint32_t type : {56u, 57u, 1000u, 0xFFFFFFFFu}) {
        const TableTypeDescription d = GetTableTypeDescription(type, 2);
        EXPECT_EQ(d.name, "Unknown");
        EXPECT_EQ(d.helpText, "Unknown Table Type");
        EXPECT_EQ(d.numberFormat, "%.1f");
        EXPECT_EQ(d.unit, "");
        EXPECT_EQ(d.minimum, 0.0f);
        EXPECT_EQ(d.maximum, 100.0f);
    }
    for (uint32_t type = 0; type < 56; ++type) {
        const TableTypeDescription d = GetTableTypeDescription(type, 0);
        EXPECT_NE(d.name, "Unknown") << type;
        EXPECT_TRUE(IsSingleFloatFormat(d.numberFormat)) << type;
        EXPECT_LT(d.minimum, d.maximum) << type;
    }
}

TEST(ValueFormats, SingleFloatConversionCheck) {
    for (const char* ok : {"%f", "%.1f", "%.0f", "%5.2f", "%-8.3f", "%+.1f", "%.1f%%", "x %.0f y",
                           "%%%.2f%%", "%.f", "%99.99f"})
        EXPECT_TRUE(IsSingleFloatFormat(ok)) << ok;
    for (const char* bad : {"", "abc", "%%", "%d", "%s", "%n", "%e", "%g", "%.1f%.1f", "%*.1f",
                            "%.*f", "%100f", "%.100f", "%", "%.1", "%lf", "%Lf", "%1$f"})
        EXPECT_FALSE(IsSingleFloatFormat(bad)) << bad;
}

TEST(ValueFormats, NumberFormatIsCutAfterTheFirstF) {
    EXPECT_EQ(NumberFormatOf("%.1f A/F"), "%.1f");
    EXPECT_EQ(NumberFormatOf("%.1f%%"), "%.1f");
    EXPECT_EQ(NumberFormatOf("%.1f sec"), "%.1f");
    EXPECT_EQ(NumberFormatOf("%.0f"), "%.0f");
    EXPECT_EQ(NumberFormatOf(""), "");
    EXPECT_EQ(FormatValue("%.2f", 1.0f / 3.0f), "0.33");
    EXPECT_EQ(FormatValue("%s", 1.0f), "1.0");  // replaced, never passed to printf
    EXPECT_EQ(FormatValue("%99.99f", 1.0f).size(), 101u);
    EXPECT_EQ(FormatValue("%.0f", -3.4028235e38f).size(), 40u);
}

}  // namespace
}  // namespace quillon
