// Number texts of the formula language against printf and streams, and their shortcuts.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>

#include "analysis/FormulaNumbers.h"

namespace quillon {
namespace {

uint64_t Bits(double value) {
    return std::bit_cast<uint64_t>(value);
}

std::string StreamText(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

std::string PrintfFixed(double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%f", value);
    return buffer;
}

TEST(FormulaNumbers, TextsMatchPrintfAndStreamFormatting) {
    EXPECT_EQ(PrintFixed6(1.0f / 128), "0.007812");  // an exact tie rounds to even
    EXPECT_EQ(PrintFixed6(3.0f / 128), "0.023438");
    EXPECT_EQ(PrintFixed6(-1e-9f), "-0.000000");
    EXPECT_EQ(PrintFixed6(std::numeric_limits<float>::max()),
              "340282346638528859811704183484516925440.000000");
    EXPECT_EQ(PrintGeneral6(1234567), "1.23457e+06");
    EXPECT_EQ(PrintGeneral6(-0.0), "-0");
    EXPECT_EQ(PrintGeneral6(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(PrintGeneral6(std::numeric_limits<double>::quiet_NaN()), "nan");

    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const float f = std::bit_cast<float>(uint32_t(random()));
        if (std::isnan(f)) continue;
        ASSERT_EQ(PrintFixed6(f), PrintfFixed(f)) << f;
        const double d = std::bit_cast<double>(random());
        if (std::isnan(d)) continue;
        ASSERT_EQ(PrintGeneral6(d), StreamText(d)) << d;
    }
}

TEST(FormulaNumbers, GeneralShortcutEqualsPrintingAndReading) {
    auto check = [](double d) {
        ASSERT_EQ(Bits(RoundThroughGeneralText(d)), Bits(ReadLeadingNumber(PrintGeneral6(d)))) << d;
    };
    for (double d : {0.0, -0.0, 100000.5, 100001.5, -999999.5, 999999.5, 1234565.0, 0.1, 1e-15,
                     9.999995e19, 1e20, 1e300, 5e-324, 0.30000000000000004,
                     std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max()})
        check(d);
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 100000; ++i) {
        const double d = std::bit_cast<double>(random());
        if (!std::isnan(d)) check(d);
        const double scaled = std::ldexp(unit(random) - 0.5, int(random() % 140) - 70);
        check(scaled);
        // Halfway cases at the sixth digit (n + 0.5 scaled by powers of two; seven digits ending
        // in 5 scaled by powers of ten), and powers of ten beside the six-digit range's ends.
        check(std::ldexp(double(100000 + random() % 900000) + 0.5, int(random() % 40) - 20));
        check(double((100000 + random() % 900000) * 10 + 5) * std::pow(10.0, double(random() % 9)));
        const double power = std::pow(10.0, double(int(random() % 34) - 15));
        check(std::nextafter(power, 0.0));
        check(-std::nextafter(power * 9.999995, 0.0));
        // Decimal values with a 5 in the seventh digit: close to halfway, on either side.
        const double seventh = double(1000000 + random() % 9000000) * 10 + 5;
        check(seventh * std::pow(10.0, double(int(random() % 30) - 20)));
        // Products of six-digit values, as in chained operations.
        check(RoundThroughGeneralText(scaled) * RoundThroughGeneralText(unit(random) * 1000));
    }
}

}  // namespace
}  // namespace quillon
