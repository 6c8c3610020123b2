#include "gui/dialogs/ChannelFieldFormat.h"

#include "gui/common/AnsiText.h"
#include "model/ChannelNaming.h"

namespace quillon {

ChannelFieldFormat ChannelFieldFormatOf(const std::string& valueFormat) {
    ChannelFieldFormat format;
    const std::string number = NumberFormatOf(valueFormat);
    format.display = FromAnsi(valueFormat);
    format.edit = FromAnsi(number);
    // The digit after the first "." decides the step.
    const size_t dot = number.find('.');
    const char digit = dot != std::string::npos && dot + 1 < number.size() ? number[dot + 1] : 0;
    format.step = digit == '1' ? 0.1 : digit == '2' ? 0.01 : 1.0;
    return format;
}

}  // namespace quillon
