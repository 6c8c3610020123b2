#pragma once
/// Display names, printf formats, units and value texts of every channel number, and the
/// descriptions of the advanced-table types.

#include <cstdint>
#include <string>
#include <string_view>

#include "format/EcuConfigBlock.h"

namespace quillon {

struct TableTypeDescription {
    std::string helpText;
    std::string name;
    std::string numberFormat;
    std::string unit;
    float minimum = 0;
    float maximum = 0;
};

inline constexpr int kTableTypeCount = 57;  // types 0..55 and "Unknown" for 56 and above

TableTypeDescription GetTableTypeDescription(uint32_t type, uint32_t boostTargetUnits);

std::string GetChannelName(const EcuConfigBlock& config, int c);
std::string GetChannelValueFormat(const EcuConfigBlock& config, int c);
std::string GetChannelUnit(const EcuConfigBlock& config, int c);
/// The text of one value ("-" for the no-value marker).
std::string GetChannelValueText(const EcuConfigBlock& config, int c, float value);
/// A value format cut after its first "f" (the number without its unit), as statistics, axis
/// fields and numeric entry show it.
std::string NumberFormatOf(const std::string& valueFormat);
/// Whether a format holds exactly one plain float conversion ("%.1f", "%5.2f"; "%%" allowed
/// around it), so that it is safe to pass to printf with one double.
bool IsSingleFloatFormat(std::string_view format);
/// One value printed with a format; a format that fails IsSingleFloatFormat is replaced by
/// "%.1f" rather than passed to printf.
std::string FormatValue(const std::string& format, float value);

}  // namespace quillon
