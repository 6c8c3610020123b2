#pragma once
/// Number texts of the formula language: the "%f" text of a substituted channel value, the
/// 6-significant-digit text of an intermediate result, and how an operand text is read back.
/// All are independent of the process locale.

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
double RoundThroughFixedText(float value);

/// ReadLeadingNumber(PrintGeneral6(value)), without the texts where that is exact (nearly always).
double RoundThroughGeneralText(double value);

}  // namespace quillon
