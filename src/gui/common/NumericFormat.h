#pragma once
/// Printing one number with a printf-style format and reading typed numbers back, without the C
/// locale's influence and without trusting the format: formats may come from a log file.

#include <string_view>

#include <QString>

#include "gui/common/AnsiText.h"  // formats arrive as the logs' single-byte texts

namespace quillon {

/// Applies a printf format of one double ("%.3f sec", "%.1f%%") to value. Only the first
/// conversion (f, F, e, E, g, G, d, i) consumes the value; "%%" prints a per cent sign; any other
/// directive (%s, %n, %*d, a second conversion) is printed as it stands. A value that prints as
/// zero is printed without a sign ("0.000", never "-0.000"): this is the screen's formatting.
QString FormatDouble(const QString& format, double value);

/// The text with the minus sign of a printed zero dropped ("-0.00 sec" gives "0.00 sec"): for
/// value texts that the shared formatting (which the CSV export keeps byte for byte) made.
QString UnsignedZero(const QString& text);

/// The leading numeric part of a text ("12.5abc" gives 12.5), 0 when there is none.
double ParseLeadingNumber(const QString& text);

}  // namespace quillon
