// The block loops below are written without branches so that they run on vector registers.
// GCC keeps floating-point selects as branches unless it may assume that no operation traps;
// the results of the operations themselves are the same either way.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-trapping-math")
#endif

#include "analysis/CompiledFormula.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/EvaluateExpression.h"
#include "analysis/ExpressionPasses.h"
#include "analysis/FormulaExpansion.h"
#include "analysis/FormulaNumbers.h"

namespace quillon {

namespace passes = formula_passes;

CompiledFormula::CompiledFormula(std::string_view formula) : m_formula(formula) {
    // The expanded text with every substituted value as one placeholder symbol between the
    // parentheses that the expansion puts around it.
    std::vector<int> symbols;
    symbols.reserve(formula.size());
    for (size_t i = 0; i < formula.size();) {
        if (formula[i] != '[') {
            symbols.push_back(static_cast<unsigned char>(formula[i]));
            ++i;
            continue;
        }
        const size_t close = formula.find(']', i + 1);
        if (close == std::string_view::npos) return;
        const int channel = ParseChannelReference(formula.substr(i + 1, close - i - 1));
        if (channel == 0) return;
        auto it = std::find(m_channels.begin(), m_channels.end(), channel);
        const size_t index = size_t(it - m_channels.begin());
        if (it == m_channels.end()) m_channels.push_back(channel);
        symbols.push_back('(');
        symbols.push_back(passes::kPlaceholderBase + int(index));
        symbols.push_back(')');
        i = close + 1;
    }
    m_expandable = true;
    m_acceptedText = passes::CheckCharacters(symbols);
    if (m_acceptedText) Compile(symbols);
}

uint32_t CompiledFormula::AddConstant(double value) {
    m_constants.push_back(value);
    return m_constantBase + uint32_t(m_constants.size() - 1);
}

void CompiledFormula::Compile(const std::vector<int>& symbols) {
    const auto tokens =
        passes::CompleteTokens(passes::Space(passes::Postfix(passes::MarkNumbers(symbols))));
    const uint32_t channelCount = uint32_t(m_channels.size());
    m_constantBase = 2 * channelCount;
    const uint32_t zero = AddConstant(0.0);

    // What each token pushes: an operator (0 here) or the register of its value. A value token
    // is the value's text, possibly with symbols glued in front; "-" in front negates a text
    // without a sign and spoils one with a sign, anything else keeps it from reading as a number.
    std::vector<int> operators(tokens.size(), 0);
    std::vector<uint32_t> operands(tokens.size(), zero);
    for (size_t t = 0; t < tokens.size(); ++t) {
        const std::vector<int>& token = tokens[t];
        if ((operators[t] = passes::OperatorOf(token))) continue;
        const auto placeholder = std::find_if(token.begin(), token.end(),
                                              [](int c) { return c >= passes::kPlaceholderBase; });
        std::string prefix;
        for (auto it = token.begin(); it != placeholder; ++it)
            prefix.push_back(char(*it));
        if (placeholder == token.end()) {
            operands[t] = AddConstant(ReadLeadingNumber(prefix));
            continue;
        }
        if (placeholder + 1 != token.end() ||
            prefix.find_first_not_of("()-") != std::string::npos) {
            m_textFallback = true;  // not a shape the passes produce; evaluate the text instead
            return;
        }
        const uint32_t index = uint32_t(*placeholder - passes::kPlaceholderBase);
        if (prefix.empty())
            operands[t] = index;
        else if (prefix == "-")
            operands[t] = channelCount + index;
        // else: a parenthesis or a second sign in front, read as 0.0 whatever the value
    }

    // The stack machine's course depends on the token kinds only, so it runs here once.
    m_registerCount = m_constantBase + uint32_t(m_constants.size());
    std::vector<uint32_t> stack;
    uint32_t result = zero;
    for (size_t t = 0; t < tokens.size(); ++t) {
        if (operators[t]) {
            if (stack.size() < 2) break;
            Step step;
            step.op = uint8_t(operators[t]);
            step.right = stack.back();
            stack.pop_back();
            step.left = stack.back();
            stack.pop_back();
            step.target = m_registerCount++;
            m_steps.push_back(step);
            result = step.target;
            stack.push_back(step.target);
        } else if (tokens.size() == 1) {
            result = operands[t];
        } else {
            stack.push_back(operands[t]);
        }
    }
    m_resultRegister = result;

    // Keep only the steps the result depends on; a step whose result is an operand of another
    // reads it back from its 6-digit text, the last one keeps full precision.
    std::vector<bool> live(m_registerCount, false);
    live[result] = true;
    std::vector<Step> kept;
    for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it) {
        if (!live[it->target]) continue;
        live[it->left] = live[it->right] = true;
        kept.push_back(*it);
    }
    std::reverse(kept.begin(), kept.end());
    for (Step& step : kept)
        step.roundThroughText = step.target != result;
    m_steps = std::move(kept);
}

bool CompiledFormula::LoadValues(const float* values, double* registers) const {
    const size_t channelCount = m_channels.size();
    for (size_t i = 0; i < channelCount; ++i) {
        const float value = values[i];
        if (!std::isfinite(value)) return false;  // "inf" or "nan" fails the check
        const double read = RoundThroughFixedText(value);
        registers[i] = read;
        registers[channelCount + i] = std::signbit(value) ? 0.0 : -read;
    }
    return true;
}

inline void CompiledFormula::RunSteps(double* registers) const {
    for (const Step& step : m_steps) {
        const double value =
            passes::Arithmetic(step.op, registers[step.left], registers[step.right]);
        registers[step.target] = step.roundThroughText ? RoundThroughGeneralText(value) : value;
    }
}

bool CompiledFormula::Evaluate(const float* values, double& result) const {
    if (!m_expandable) return false;
    if (m_textFallback) return EvaluateByText(values, result);
    if (!m_acceptedText) return false;
    std::vector<double> registers(m_registerCount);
    if (!LoadValues(values, registers.data())) return false;
    std::copy(m_constants.begin(), m_constants.end(), registers.begin() + m_constantBase);
    RunSteps(registers.data());
    result = registers[m_resultRegister];
    return true;
}

void CompiledFormula::EvaluateFrames(const float* const* columns, size_t count, double& result,
                                     float* out) const {
    const size_t channelCount = m_channels.size();
    if (!m_expandable || (!m_acceptedText && !m_textFallback)) {
        for (size_t f = 0; f < count; ++f)
            out[f] = static_cast<float>(result);
        return;
    }
    if (m_textFallback) {
        std::vector<float> values(channelCount);
        for (size_t f = 0; f < count; ++f) {
            for (size_t i = 0; i < channelCount; ++i)
                values[i] = columns[i][f];
            EvaluateByText(values.data(), result);
            out[f] = static_cast<float>(result);
        }
        return;
    }

    // Each step runs over a block of frames at a time: the frames are independent, so the
    // processor overlaps them instead of waiting on one frame's chain of operations. Register r
    // of frame j in the block lives at registers[r * block + j].
    const size_t block = std::clamp<size_t>(32768 / std::max<size_t>(m_registerCount, 1), 8, 256);
    std::vector<double> registers(size_t(m_registerCount) * block);
    for (size_t c = 0; c < m_constants.size(); ++c)
        std::fill_n(registers.begin() + (m_constantBase + c) * block, block, m_constants[c]);
    std::vector<uint8_t> finite(block);
    for (size_t first = 0; first < count; first += block) {
        const size_t n = std::min(block, count - first);
        std::fill_n(finite.begin(), n, uint8_t(1));
        // All of a block's values are read before any of its results is written, so a formula
        // may read its own column.
        for (size_t i = 0; i < channelCount; ++i) {
            const float* column = columns[i] + first;
            double* read = &registers[i * block];
            double* negated = &registers[(channelCount + i) * block];
            for (size_t j = 0; j < n; ++j) {
                // Branch-free, so that the loop runs on vector registers: a value that is not
                // finite marks its frame and is replaced by a stand-in.
                const float value = column[j];
                const bool isFinite = (std::bit_cast<uint32_t>(value) & 0x7f800000u) != 0x7f800000u;
                finite[j] &= uint8_t(isFinite);
                const float standIn = isFinite ? value : 0.0f;
                const double text = RoundThroughFixedText(standIn);
                read[j] = text;
                negated[j] = std::signbit(standIn) ? 0.0 : -text;
            }
        }
        for (const Step& step : m_steps) {
            const double* left = &registers[step.left * block];
            const double* right = &registers[step.right * block];
            double* target = &registers[step.target * block];
            switch (step.op) {
                case '+':
                    for (size_t j = 0; j < n; ++j)
                        target[j] = left[j] + right[j];
                    break;
                case '-':
                    for (size_t j = 0; j < n; ++j)
                        target[j] = left[j] - right[j];
                    break;
                case '*':
                    for (size_t j = 0; j < n; ++j)
                        target[j] = left[j] * right[j];
                    break;
                case '/':
                    for (size_t j = 0; j < n; ++j)
                        target[j] = left[j] / right[j];
                    break;
                default:
                    for (size_t j = 0; j < n; ++j)
                        target[j] = std::pow(left[j], right[j]);
                    break;
            }
            for (size_t j = 0; j < n; ++j)
                if (std::isnan(target[j])) target[j] = std::numeric_limits<double>::quiet_NaN();
            if (step.roundThroughText)
                for (size_t j = 0; j < n; ++j)
                    target[j] = RoundThroughGeneralText(target[j]);
        }
        const double* results = &registers[m_resultRegister * block];
        for (size_t j = 0; j < n; ++j) {
            if (finite[j]) result = results[j];
            out[first + j] = static_cast<float>(result);
        }
    }
}

bool CompiledFormula::EvaluateByText(const float* values, double& result) const {
    const auto text = ExpandFormula(m_formula, [&](int channel) -> std::optional<float> {
        auto it = std::find(m_channels.begin(), m_channels.end(), channel);
        return values[it - m_channels.begin()];
    });
    return text && EvaluateExpression(*text, result);
}

}  // namespace quillon
