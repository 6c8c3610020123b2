#include "analysis/FormulaNumbers.h"

#include <charconv>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace quillon {

namespace {

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

namespace formula_numbers {

namespace {

// x * y - z, for x * y close to z (within a factor of two), rounded but with its exact sign:
// the product is split into its rounded value and its exact error (Dekker), and the difference
// of two close values is exact, so rounding the sum cannot change its sign. Every product and
// sum is a statement of its own, so that no compiler fuses them into a multiply-add that would
// change the error term.
double ProductMinus(double x, double y, double z) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double product = x * y;
    const double xScaled = kSplitter * x;
    const double xHigh = xScaled - (xScaled - x);
    const double xLow = x - xHigh;
    const double yScaled = kSplitter * y;
    const double yHigh = yScaled - (yScaled - y);
    const double yLow = y - yHigh;
    const double highHigh = xHigh * yHigh;
    const double highLow = xHigh * yLow;
    const double lowHigh = xLow * yHigh;
    const double lowLow = xLow * yLow;
    double error = highHigh - product;
    error = error + highLow;
    error = error + lowHigh;
    error = error + lowLow;
    const double difference = product - z;
    return difference + error;
}

// Six digits of a value whose scaled form lies within the margin of a halfway point: the
// exact comparison of magnitude * 10^k with that point decides, half to even when the value is
// the point itself. 10^k is the scale when k >= 0, and 10^-k the multiplier otherwise, both
// exact. Written without branches: which way a halfway case goes is as good as random.
double ResolveHalfway(double magnitude, const Binade& binade, int high, double scaled,
                      double digits) {
    const double halfway = digits + std::copysign(0.5, scaled - digits);
    const bool scaledUp = binade.multiplier[high] == 1.0;
    const double x = scaledUp ? magnitude : halfway;
    const double y = scaledUp ? binade.scale[high] : binade.multiplier[high];
    const double z = scaledUp ? halfway : magnitude;
    const double excess = ProductMinus(x, y, z) * (scaledUp ? 1.0 : -1.0);
    const double below = halfway - 0.5;  // below 2^21: exact as an integer
    const int odd = int(int64_t(below) & 1);
    return below + double(int(excess > 0) | (int(excess == 0) & odd));
}
}  // namespace

double RoundThroughGeneralTextRare(double value) {
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) return value;  // "0" or "-0"
    if (std::isnan(value))               // "nan" or "-nan"
        return std::signbit(value) ? -std::numeric_limits<double>::quiet_NaN()
                                   : std::numeric_limits<double>::quiet_NaN();
    if (std::isinf(value)) return value;  // "inf" or "-inf"
    const Binade& binade = kBinades.entries[std::bit_cast<uint64_t>(magnitude) >> 52];
    const int high = magnitude >= binade.threshold;
    const double scaled = magnitude * binade.scale[high];
    if (std::fabs(scaled - kScaledMiddle) < kScaledHalfWidth) {
        double digits = (scaled + kTwo52) - kTwo52;
        if (std::fabs(scaled - digits) >= 0.5 - kHalfwayMargin)
            digits = ResolveHalfway(magnitude, binade, high, scaled, digits);
        return std::copysign(digits * binade.multiplier[high] / binade.divisor[high], value);
    }
    return ReadLeadingNumber(PrintGeneral6(value));
}

}  // namespace formula_numbers

}  // namespace quillon
