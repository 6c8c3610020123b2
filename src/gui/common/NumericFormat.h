#pragma once
/// Printing one number with a printf-style format and reading typed numbers back, without the C
/// locale's influence and without trusting the format: formats may come from a log file.

#include <string_view>

#include <QString>

#include "gui/common/AnsiText.h"  // formats arrive as the logs' single-byte texts

namespace quillon {

/// Applies a printf format of one double ("%.3f sec", "%.1f%%") to value. Only the first
/// conversion (f, F, e, E, g, G, d, i) consumes the value; "%%" prints a per cent sign; any other
/// directive (%s, %n, %*d, a second conversion) is printed as it stands.
QString FormatDouble(const QString& format, double value);

/// The leading numeric part of a text ("12.5abc" gives 12.5), 0 when there is none.
double ParseLeadingNumber(const QString& text);

}  // namespace quillon
