#pragma once
/// A math channel formula parsed once: per frame it takes the referenced channels' values and
/// gives, bit for bit, what expanding the references and calling EvaluateExpression gives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class CompiledFormula {
public:
    /// Parses `formula`, channel references "[n]" included.
    explicit CompiledFormula(std::string_view formula);

    /// False when a reference is unclosed or names no channel 1 to 440: the formula then has no
    /// value at any frame (Evaluate always answers false).
    bool IsExpandable() const { return m_expandable; }
    /// The channels referenced, each once, in the order of their first reference; Evaluate takes
    /// their values in this order.
    const std::vector<int>& Channels() const { return m_channels; }

    /// The verdict and value of EvaluateExpression on the expanded text: false, with `result`
    /// untouched, when the text would fail the character check (a value that is not finite, or a
    /// formula that fails it whatever the values) or cannot be expanded.
    bool Evaluate(const float* values, double& result) const;

    /// Evaluate over frames 0 to count - 1, where columns[i] holds the values of Channels()[i]:
    /// each frame's result, as f32, goes to out[f]; a frame for which Evaluate would answer false
    /// keeps `result` from the frame before. `result` carries in and out. `out` may be one of
    /// the columns: each frame is read before it is written.
    void EvaluateFrames(const float* const* columns, size_t count, double& result,
                        float* out) const;

    /// True when the token structure was one the compiler does not reduce, so that Evaluate
    /// expands and evaluates the text instead (kept as a safety net; not expected in practice).
    bool UsesTextFallback() const { return m_textFallback; }

private:
    struct Step {
        uint8_t op = 0;
        bool roundThroughText = false;  // the result is an operand of a later step
        uint32_t left = 0;
        uint32_t right = 0;
        uint32_t target = 0;
    };

    bool EvaluateByText(const float* values, double& result) const;
    /// Reads the values into the registers; false when one is not finite.
    bool LoadValues(const float* values, double* registers) const;
    void RunSteps(double* registers) const;
    void Compile(const std::vector<int>& symbols);
    uint32_t AddConstant(double value);

    std::string m_formula;
    std::vector<int> m_channels;
    bool m_expandable = false;
    bool m_acceptedText = false;  // the character check passes whenever the values are finite
    bool m_textFallback = false;
    // Register file: per channel its value as read from its "%f" text, then per channel the value
    // of that text with a "-" glued in front, then the constants (the first is 0.0), then the
    // step results.
    std::vector<double> m_constants;
    uint32_t m_constantBase = 0;
    uint32_t m_registerCount = 0;
    std::vector<Step> m_steps;
    uint32_t m_resultRegister = 0;
};

}  // namespace quillon
