#include "analysis/FormulaExpansion.h"

#include "analysis/FormulaNumbers.h"

namespace quillon {

int ParseChannelReference(std::string_view digits) {
    if (digits.empty()) return 0;
    int channel = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        channel = channel * 10 + (c - '0');
        if (channel > 440) return 0;  // also keeps long digit runs from overflowing
    }
    return channel;
}

std::optional<std::string> ExpandFormula(std::string_view formula,
                                         const ChannelValueSource& valueOf) {
    std::string text(formula);
    // Substituted values never contain a bracket, so each search from the start finds the next
    // reference in order.
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[')) {
        const size_t close = text.find(']', open + 1);
        if (close == std::string::npos) return std::nullopt;
        const int channel =
            ParseChannelReference(std::string_view(text).substr(open + 1, close - open - 1));
        if (channel == 0) return std::nullopt;
        const std::optional<float> value = valueOf(channel);
        if (!value) return std::nullopt;
        std::string number = PrintFixed6(*value);
        number.insert(number.begin(), '(');
        number.push_back(')');
        text.replace(open, close - open + 1, number);
    }
    return text;
}

}  // namespace quillon
