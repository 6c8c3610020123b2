// Fuzz target comparing a compiled formula with the reference: the first 16 bytes are the f32
// values of channels 2, 3, 7 and 369, the rest is the formula. Verdicts and every bit of the
// results must agree, frame by frame and through the block evaluation.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "analysis/CompiledFormula.h"
#include "analysis/EvaluateExpression.h"
#include "analysis/FormulaExpansion.h"

using namespace quillon;

namespace {

constexpr int kChannels[] = {2, 3, 7, 369};

float ValueOf(const float* values, int channel) {
    for (int i = 0; i < 4; ++i)
        if (kChannels[i] == channel) return values[i];
    return 1.0f;  // any other channel reads 1
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    float values[4] = {1500.0f, -2.0f, 0.5f, 0.0f};
    const size_t valueBytes = size < sizeof values ? size : sizeof values;
    if (valueBytes > 0) std::memcpy(values, data, valueBytes);
    const std::string formula =
        size > valueBytes
            ? std::string(reinterpret_cast<const char*>(data) + valueBytes, size - valueBytes)
            : std::string();

    double expected = -999999.0;
    const auto text = ExpandFormula(
        formula, [&](int channel) -> std::optional<float> { return ValueOf(values, channel); });
    const bool expectedOk = text && EvaluateExpression(*text, expected);

    const CompiledFormula compiled(formula);
    std::vector<float> ordered;
    for (int channel : compiled.Channels())
        ordered.push_back(ValueOf(values, channel));
    double actual = -999999.0;
    const bool actualOk = compiled.Evaluate(ordered.data(), actual);
    if (expectedOk != actualOk) std::abort();
    if (std::memcmp(&expected, &actual, sizeof actual) != 0) std::abort();

    // The same frame through the block evaluation, and a second frame that keeps its result.
    std::vector<const float*> columns;
    std::vector<std::vector<float>> storage;
    for (float value : ordered)
        storage.push_back({value, value});
    for (const auto& column : storage)
        columns.push_back(column.data());
    float out[2];
    double carried = -999999.0;
    if (compiled.IsExpandable()) {
        compiled.EvaluateFrames(columns.data(), 2, carried, out);
        const float frame = static_cast<float>(expected);
        if (std::memcmp(&out[0], &frame, sizeof frame) != 0) std::abort();
        if (std::memcmp(&out[1], &frame, sizeof frame) != 0) std::abort();
    }
    return 0;
}
