#pragma once
/// Number texts of the formula language: the "%f" text of a substituted channel value, the
/// 6-significant-digit text of an intermediate result, and how an operand text is read back.
/// All are independent of the process locale.

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

/// `value` in fixed notation with six decimals, as "%f" prints it ("inf", "-nan" for non-finite
/// values).
std::string PrintFixed6(double value);

/// `value` in general notation with six significant digits, as a default-formatted stream writes
/// it ("1.23457e+06", "-0", "inf", "nan").
std::string PrintGeneral6(double value);

/// The longest leading decimal number of `text` ("1.5.5" reads 1.5, "-2" reads -2, "1e+06" reads
/// 1000000, "inf" and "nan" read back as themselves); 0.0 when the text does not begin with a
/// number. A number too large for a double reads as an infinity, one too small as zero.
double ReadLeadingNumber(std::string_view text);

/// ReadLeadingNumber(PrintFixed6(value)) for a finite value, without the texts.
inline double RoundThroughFixedText(float value);

/// ReadLeadingNumber(PrintGeneral6(value)), without the texts where that is exact (nearly always).
inline double RoundThroughGeneralText(double value);

namespace formula_numbers {

inline constexpr double kTwo52 = 4503599627370496.0;

/// 10^n: exact for 0 <= n <= 22, the nearest double for negative n.
constexpr double PowerOfTen(int n) {
    double power = 1.0;
    for (int i = 0; i < (n < 0 ? -n : n); ++i)
        power *= 10.0;
    return n < 0 ? 1.0 / power : power;
}

/// What rounding to six significant digits needs for the values of one binade [2^e, 2^(e+1)),
/// indexed by the biased binary exponent. A binade holds values of at most two decimal
/// exponents, d and d + 1 ("high" from the threshold 10^(d+1) up): scale[h] brings a value of
/// either to [1e5, 1e6) (exact for non-negative powers, the nearest double otherwise), and
/// multiplier[h] / divisor[h] take the six digits back with one rounding (both exact, one of
/// them 1). Binades this table does not serve scale by 0, which sends them to the exact path.
struct Binade {
    double threshold = 0.0;
    double scale[2] = {0.0, 0.0};
    double multiplier[2] = {1.0, 1.0};
    double divisor[2] = {1.0, 1.0};
};

constexpr Binade MakeBinade(int biased) {
    Binade binade;
    const int e2 = biased - 1023;
    const int decimal = (e2 * 78913) >> 18;  // floor(e2 * log10 2)
    if (biased == 0 || biased == 2047 || decimal < -15 || decimal > 19) return binade;
    binade.threshold = PowerOfTen(decimal + 1);
    for (int high = 0; high < 2; ++high) {
        const int exponent = decimal + high;
        binade.scale[high] = PowerOfTen(5 - exponent);
        const int p = exponent - 5;
        binade.multiplier[high] = p >= 0 ? PowerOfTen(p) : 1.0;
        binade.divisor[high] = p >= 0 ? 1.0 : PowerOfTen(-p);
    }
    return binade;
}

struct BinadeTable {
    Binade entries[2048];
    constexpr BinadeTable() {
        for (int i = 0; i < 2048; ++i)
            entries[i] = MakeBinade(i);
    }
};
inline constexpr BinadeTable kBinades;

// Scaled values from just below 1e5 to just above 1e6. The scaled value is within about 2e-10
// of the exact one, so its decimal exponent may be one off only at the ends of [1e5, 1e6)
// (an exact power of ten scales to 1e5), and there both exponents give the same six digits:
// 99999.99999... rounds to 100000 at either step, 1000000.0... to 1000000.
inline constexpr double kScaledLowest = 100000.0 - 1e-6;
inline constexpr double kScaledHighest = 1000000.0 + 0.25;
inline constexpr double kScaledMiddle = (kScaledLowest + kScaledHighest) / 2;
inline constexpr double kScaledHalfWidth = (kScaledHighest - kScaledLowest) / 2;
// Distance from a halfway point within which the scaled value's error could matter.
inline constexpr double kHalfwayMargin = 1e-9;

// The cases the inline path leaves: values near a halfway point between two six-digit numbers
// (settled by an exact comparison), zeros, very small or large values and non-finite ones.
double RoundThroughGeneralTextRare(double value);

}  // namespace formula_numbers

inline double RoundThroughFixedText(float value) {
    // A float's 24-bit significand times 10^6 (15625 * 2^6) fits a double's 53 bits, so the
    // scaled value is exact, and rounding it half to even gives the printed digits (values from
    // 2^52 up are integers already). Dividing the exact integer by the exact 10^6 rounds once,
    // as reading the decimal text does.
    using formula_numbers::kTwo52;
    const double scaled = double(value) * 1e6;
    const double magnitude = std::fabs(scaled);
    const double digits = magnitude < kTwo52 ? (magnitude + kTwo52) - kTwo52 : magnitude;
    return std::copysign(digits, scaled) / 1e6;
}

inline double RoundThroughGeneralText(double value) {
    using namespace formula_numbers;
    const double magnitude = std::fabs(value);
    const Binade& binade = kBinades.entries[std::bit_cast<uint64_t>(magnitude) >> 52];
    const int high = magnitude >= binade.threshold;
    // Within about 2e-10 of the exact scaled value (one or two roundings). Away from halfway
    // points its rounding to an integer is therefore certain, and the digits times
    // 10^(exponent - 5), with exact operands, round once, as reading the text back does.
    const double scaled = magnitude * binade.scale[high];
    if (std::fabs(scaled - kScaledMiddle) < kScaledHalfWidth) {
        const double digits = (scaled + kTwo52) - kTwo52;  // half to even
        if (std::fabs(scaled - digits) < 0.5 - kHalfwayMargin)
            return std::copysign(digits * binade.multiplier[high] / binade.divisor[high], value);
    } else if (magnitude == 0.0) {
        return value;  // "0" or "-0"
    }
    return RoundThroughGeneralTextRare(value);
}

}  // namespace quillon
