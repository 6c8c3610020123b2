#include "formula/FormulaNumbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace quillon {

namespace {

// Powers of ten that are exact doubles.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr double kTwo52 = 4503599627370496.0;

// Rounds a non-negative value below 2^52 to an integer, half to even (the default rounding mode
// does the work); larger values are integers already.
double RoundHalfEven(double magnitude) {
    return magnitude < kTwo52 ? (magnitude + kTwo52) - kTwo52 : magnitude;
}

// magnitude * 10^k with one rounding; |k| <= 22.
double Scale(double magnitude, int k) {
    return k >= 0 ? magnitude * kPow10[k] : magnitude / kPow10[-k];
}

// What a number that from_chars found out of range stands for: an infinity when its integer part
// has a non-zero digit or its exponent is not negative, else a zero; the sign is kept.
double OutOfRangeValue(std::string_view text) {
    size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    bool large = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (text[i] != '0') large = true;
    const size_t e = text.find_first_of("eE", i);
    if (e != std::string_view::npos && e + 1 < text.size()) large = text[e + 1] != '-';
    const double magnitude = large ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

}  // namespace

std::string PrintFixed6(double value) {
    char buffer[400];  // the largest double needs 309 digits before the point
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string PrintGeneral6(double value) {
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

double ReadLeadingNumber(std::string_view text) {
    double value = 0.0;
    const char* first = text.data();
    auto [end, ec] = std::from_chars(first, first + text.size(), value, std::chars_format::general);
    if (ec == std::errc()) return value;
    if (ec == std::errc::result_out_of_range)
        return OutOfRangeValue(text.substr(0, size_t(end - first)));
    return 0.0;
}

double RoundThroughFixedText(float value) {
    // A float's 24-bit significand times 10^6 (15625 * 2^6) fits a double's 53 bits, so the
    // scaled value is exact, and rounding it half to even gives the printed digits. Dividing the
    // exact integer by the exact 10^6 rounds once, as reading the decimal text does.
    const double scaled = double(value) * 1e6;
    return std::copysign(RoundHalfEven(std::fabs(scaled)), scaled) / 1e6;
}

double RoundThroughGeneralText(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) return value;
    if (magnitude >= 1e-15 && magnitude < 1e20) {
        // Decimal exponent from the binary one (floor(e2 * log10 2)); corrected by one step below.
        const int e2 = int(std::bit_cast<uint64_t>(magnitude) >> 52) - 1023;
        int e10 = (e2 * 78913) >> 18;
        double scaled = Scale(magnitude, 5 - e10);
        if (scaled < 1e5) {
            --e10;
            scaled = Scale(magnitude, 5 - e10);
        } else if (scaled >= 1e6) {
            ++e10;
            scaled = Scale(magnitude, 5 - e10);
        }
        // The scaled value carries at most half an ulp of error (about 1e-10 here). Away from the
        // ends of [1e5, 1e6) and from halfway cases its six digits are certain, and m * 10^(e10-5)
        // with exact operands rounds once, as reading the text back does.
        constexpr double kLow = 100000.0 * (1.0 + 0x1p-50);
        constexpr double kHigh = 1000000.0 * (1.0 - 0x1p-50);
        if (scaled >= kLow && scaled < kHigh) {
            const double digits = RoundHalfEven(scaled);
            if (std::fabs(std::fabs(scaled - digits) - 0.5) > 1e-9) {
                const double rounded = Scale(digits, e10 - 5);
                return value < 0 ? -rounded : rounded;
            }
        }
    }
    return ReadLeadingNumber(PrintGeneral6(value));
}

}  // namespace quillon
