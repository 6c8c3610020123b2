// Fuzz target for the formula evaluator on any byte string: it never fails except by the
// character check, which leaves the result untouched, and the passes agree with it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "analysis/EvaluateExpression.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr double kUntouched = 424242.0;
    double result = kUntouched;
    const bool accepted = EvaluateExpression(text, result);
    if (accepted != CheckExpressionCharacters(text)) std::abort();
    if (!accepted) {
        if (std::memcmp(&result, &kUntouched, sizeof result) != 0) std::abort();
        return 0;
    }
    const double staged = EvaluatePostfix(SpaceTokens(ToPostfix(MarkNumbersAndSigns(text))));
    if (std::memcmp(&result, &staged, sizeof result) != 0) std::abort();
    return 0;
}
