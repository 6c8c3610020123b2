#include "formula/CompiledFormula.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "formula/EvaluateExpression.h"
#include "formula/ExpressionPasses.h"
#include "formula/FormulaExpansion.h"
#include "formula/FormulaNumbers.h"

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

bool CompiledFormula::Evaluate(const float* values, double& result) const {
    if (!m_expandable) return false;
    if (m_textFallback) return EvaluateByText(values, result);
    const size_t channelCount = m_channels.size();
    for (size_t i = 0; i < channelCount; ++i)
        if (!std::isfinite(values[i])) return false;  // "inf" or "nan" fails the check
    if (!m_acceptedText) return false;

    double local[64];
    std::unique_ptr<double[]> heap;
    double* reg = local;
    if (m_registerCount > std::size(local)) {
        heap.reset(new double[m_registerCount]);
        reg = heap.get();
    }
    for (size_t i = 0; i < channelCount; ++i) {
        const double read = RoundThroughFixedText(values[i]);
        reg[i] = read;
        reg[channelCount + i] = std::signbit(values[i]) ? 0.0 : -read;
    }
    std::copy(m_constants.begin(), m_constants.end(), reg + m_constantBase);
    for (const Step& step : m_steps) {
        const double value = passes::Arithmetic(step.op, reg[step.left], reg[step.right]);
        reg[step.target] = step.roundThroughText ? RoundThroughGeneralText(value) : value;
    }
    result = reg[m_resultRegister];
    return true;
}

bool CompiledFormula::EvaluateByText(const float* values, double& result) const {
    const auto text = ExpandFormula(m_formula, [&](int channel) -> std::optional<float> {
        auto it = std::find(m_channels.begin(), m_channels.end(), channel);
        return values[it - m_channels.begin()];
    });
    return text && EvaluateExpression(*text, result);
}

}  // namespace quillon
