#include "model/ChannelNaming.h"

#include <cstdio>
#include <string_view>

#include "model/ChannelInfo.h"
#include "format/DataLogFrame.h"

namespace quillon {

namespace {

struct TableTypeRow {
    const char* name;
    const char* numberFormat;
    const char* unit;
    float minimum;
    float maximum;
    const char* helpText;
};

// clang-format off
const TableTypeRow kFixedTypes[] = {
    {"Fuel Flow Offset", "%.3f", "lb/hr", -100000.0f, 100000.0f,
     "0 lb/hr is the neutral value that does not modify fuel flow.   A positive value adds fuel flow."},
    {"VE Based Fuel Flow Offset", "%.1f", "%", -100.0f, 500.0f,
     "0% is the neutral value that does not modify VE Fueling.  A positive value adds VE fueling."},
    {"AE Fuel Flow Multiplier", "%.1f", "%", -100.0f, 500.0f,
     "0% is the neutral value that does not modify AE fueling.  A positive value increases AE fueling."},
    {"Fuel Flow Multiplier", "%.1f", "%", -100.0f, 500.0f,
     "0% is the neutral value that does not modify fuel flow.  A positive value increases fuel flow."},
    {"Timing Offset", "%.1f", "\xB0", -60.0f, 60.0f,
     "0" "\xB0" " is the neutral value that does not modify ignition timing.  A positive value adds/increases timing."},
    {"Target Air/Fuel Ratio Offset", "%.1f", "A/F", -9.9f, 9.9f,
     "0 A/F is the neutral value that does not modify target AFR. A positive value makes the target leaner."},
    {"Target Air/Fuel Ratio Multiplier", "%.1f", "%", -100.0f, 500.0f,
     "0% is the neutral value that does not modify target AFR. A positive value makes the target leaner."},
    {"CL Compensation + Limit Override", "%.0f", "%", 0.0f, 999.0f,
     "Any value will override the base CL compensation limits table.  A value of 0 will allow no correction."},
    {"CL Compensation - Limit Override", "%.0f", "%", 0.0f, 999.0f,
     "Any value will override the base CL compensation limits table.  A value of 0 will allow no correction."},
    {"Target Idle Speed Offset", "%.0f", "RPM", -999.0f, 999.0f,
     "0 RPM  is the neutral value that does not modify idle speed.  A positive value increases idle speed."},
    {"IAC Position Offset", "%.0f", "%", -100.0f, 100.0f,
     "0% is the neutral value that does not modify hold position.  A positive value increases hold position."},
};
const TableTypeRow kBoostOffsetPercent = {"Boost Offset", "%.0f", "%", -100.0f, 100.0f,
     "0% is the neutral value that does not modify target boost.  A positive value increases target boost."};
const TableTypeRow kBoostOffsetPsi = {"Boost Offset", "%.0f", "psi", -999.0f, 999.0f,
     "0 PSI is the neutral value that does not modify target boost.  A positive value increases target boost."};
const TableTypeRow kNitrousStageOffset = {"Nitrous Stage #%i Offset", "%.0f", "%", -100.0f, 100.0f,
     "0% is the neutral value that does not modify nitrous percentage.  A positive value increases nitrous %."};
const TableTypeRow kDriveByWireOffset = {"Drive By Wire Offset", "%.0f", "%", -100.0f, 5.0f,
     "0% is the neutral value that does not modify drive by wire position.  A positive value increases position."};
const TableTypeRow kCylinderTimingOffset = {"Cylinder #%i Timing Offset", "%.1f", "\xB0", -720.0f, 720.0f,
     "0" "\xB0" " is the neutral value that does not modify cylinder timing.  A positive value advances cylinder timing."};
const TableTypeRow kCylinderFuelMultiplier = {"Cylinder #%i Fuel Multiplier", "%.1f", "%", -500.0f, 500.0f,
     "0% is the neutral value that does not modify cylinder fuel.  A positive value increases cylinder fuel."};
const TableTypeRow kLastFixedTypes[] = {
    {"Injector End Angle Offset", "%.1f", "\xB0", -720.0f, 720.0f,
     "0" "\xB0" " is the neutral value that does not modify end angle.  A negative value advances injection event."},
    {"Cranking Fuel Multiplier", "%.1f", "%", -100.0f, 999.0f,
     "0% is the neutral value that does not modify cranking fuel.  A positive value increases cranking fuel."},
    {"Dwell Time Offset", "%.1f", "msec", -10.0f, 10.0f,
     "0 msec is the neutral value that does not modify dwell time.  A positive value increases dwell time."},
};
const TableTypeRow kUnknownType = {"Unknown", "%.1f", "", 0.0f, 100.0f, "Unknown Table Type"};
// clang-format on

/// The row of a table type and, for numbered rows, the number that goes into its name (0: none).
const TableTypeRow& TableTypeRowOf(uint32_t type, uint32_t boostTargetUnits, int* number) {
    *number = 0;
    if (type <= 10) return kFixedTypes[type];
    if (type == 11) return boostTargetUnits == 2 ? kBoostOffsetPercent : kBoostOffsetPsi;
    if (type <= 19) {
        *number = int(type) - 11;
        return kNitrousStageOffset;
    }
    if (type == 20) return kDriveByWireOffset;
    if (type <= 36) {
        *number = int(type) - 20;
        return kCylinderTimingOffset;
    }
    if (type <= 52) {
        *number = int(type) - 36;
        return kCylinderFuelMultiplier;
    }
    if (type <= 55) return kLastFixedTypes[type - 53];
    return kUnknownType;
}

std::string Printf(const char* format, const char* text, int number) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, text, number);
    return buffer;
}

/// Doubles every "%" so that a unit can follow a number format without becoming a directive.
std::string EscapePercent(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char ch : text) {
        out += ch;
        if (ch == '%') out += '%';
    }
    return out;
}

// Input entries carry their own number format text, which is untrusted: one that is not a
// single plain float conversion is replaced by this one before it can reach printf.
constexpr const char* kFallbackNumberFormat = "%.1f";

bool InputIsOnOff(const EcuConfigBlock& config, int c) {
    return (config.Get(EcuConfigBlock::InputKind(size_t(c - 299))) & 0x18) != 0;
}

bool OutputIsOnOff(const EcuConfigBlock& config, int c) {
    return (config.Get(EcuConfigBlock::OutputKind(size_t(c - 379))) & 0x600) == 0;
}

bool OutputIsPulseWidth(const EcuConfigBlock& config, int c) {
    return config.Get(EcuConfigBlock::OutputMode(size_t(c - 379))) == 0;
}

}  // namespace

TableTypeDescription GetTableTypeDescription(uint32_t type, uint32_t boostTargetUnits) {
    int number = 0;
    const TableTypeRow& row = TableTypeRowOf(type, boostTargetUnits, &number);
    TableTypeDescription d;
    d.helpText = row.helpText;
    if (number > 0) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, row.name, number);
        d.name = buffer;
    } else {
        d.name = row.name;
    }
    d.numberFormat = row.numberFormat;
    d.unit = row.unit;
    d.minimum = row.minimum;
    d.maximum = row.maximum;
    return d;
}

std::string GetChannelName(const EcuConfigBlock& config, int c) {
    if (c == 0) return "--------------";
    if (c < 0 || c > kChannelCount) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "Unknown Channel %i", c);
        return buffer;
    }
    if (c <= 266) return GetChannelInfo(c).name;
    if (c <= 298) return config.Get(EcuConfigBlock::AtTableName(size_t(c - 267)));
    if (c <= 378) {
        std::string name = config.Get(EcuConfigBlock::InputName(size_t(c - 299)));
        return name.empty() ? Printf("%s #%i", "Input", c - 298) : name;
    }
    std::string name = config.Get(EcuConfigBlock::OutputName(size_t(c - 379)));
    return name.empty() ? Printf("%s #%i", "Output", c - 378) : name;
}

std::string GetChannelValueFormat(const EcuConfigBlock& config, int c) {
    if (c <= 0 || c > kChannelCount) return {};
    if (c <= 266) return GetChannelInfo(c).valueFormat;
    if (c <= 298) {
        const TableTypeDescription type =
            GetTableTypeDescription(config.Get(EcuConfigBlock::AtTableType(size_t(c - 267))),
                                    config.Get(EcuConfigBlock::boostTargetUnits));
        return type.numberFormat + EscapePercent(type.unit);
    }
    if (c <= 378) {
        if (InputIsOnOff(config, c)) return "%.0f";
        std::string number = config.Get(EcuConfigBlock::InputFormat(size_t(c - 299)));
        if (!IsSingleFloatFormat(number)) number = kFallbackNumberFormat;
        return number + EscapePercent(config.Get(EcuConfigBlock::InputUnit(size_t(c - 299))));
    }
    if (OutputIsOnOff(config, c)) return "%.0f";
    return OutputIsPulseWidth(config, c) ? "%.2f msec" : "%.1f%%";
}

std::string GetChannelUnit(const EcuConfigBlock& config, int c) {
    if (c <= 0 || c > kChannelCount) return {};
    if (c <= 266) return GetChannelInfo(c).unit;
    if (c <= 298)
        return GetTableTypeDescription(config.Get(EcuConfigBlock::AtTableType(size_t(c - 267))),
                                       config.Get(EcuConfigBlock::boostTargetUnits))
            .unit;
    if (c <= 378) {
        if (InputIsOnOff(config, c)) return {};
        return config.Get(EcuConfigBlock::InputUnit(size_t(c - 299)));
    }
    if (OutputIsOnOff(config, c)) return {};
    return OutputIsPulseWidth(config, c) ? "msec" : "%";
}

std::string GetChannelValueText(const EcuConfigBlock& config, int c, float value) {
    if (c <= 0 || c > kChannelCount) return {};
    if (value == kNoValue) return "-";
    return FormatValue(GetChannelValueFormat(config, c), value);
}

std::string NumberFormatOf(const std::string& valueFormat) {
    size_t f = valueFormat.find('f');
    return f == std::string::npos ? valueFormat : valueFormat.substr(0, f + 1);
}

bool IsSingleFloatFormat(std::string_view format) {
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        ++i;
        if (i < format.size() && format[i] == '%') continue;
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string::npos)
            ++i;
        // Width and precision of at most two digits keep every result short.
        int digits = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i, ++digits;
        if (digits > 2) return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            digits = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9')
                ++i, ++digits;
            if (digits > 2) return false;
        }
        if (i >= format.size() || format[i] != 'f') return false;
        ++conversions;
    }
    return conversions == 1;
}

std::string FormatValue(const std::string& format, float value) {
    const char* safe = IsSingleFloatFormat(format) ? format.c_str() : kFallbackNumberFormat;
    char buffer[256];
    int n = std::snprintf(buffer, sizeof buffer, safe, double(value));
    if (n < 0) return {};
    if (size_t(n) < sizeof buffer) return std::string(buffer, size_t(n));
    std::string out(size_t(n), '\0');
    std::snprintf(out.data(), out.size() + 1, safe, double(value));
    return out;
}

}  // namespace quillon
