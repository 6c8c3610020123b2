#include "analysis/EvaluateExpression.h"

#include <vector>

#include "analysis/ExpressionPasses.h"
#include "analysis/FormulaNumbers.h"

namespace quillon {

namespace passes = formula_passes;

bool CheckExpressionCharacters(std::string_view text) {
    return passes::CheckCharacters(text);
}

std::string MarkNumbersAndSigns(std::string_view text) {
    return passes::MarkNumbers(std::string(text));
}

std::string ToPostfix(std::string_view marked) {
    return passes::Postfix(std::string(marked));
}

std::string SpaceTokens(std::string_view postfix) {
    return passes::Space(std::string(postfix));
}

double ApplyOperator(char op, std::string_view left, std::string_view right) {
    return passes::Arithmetic(op, ReadLeadingNumber(left), ReadLeadingNumber(right));
}

double EvaluatePostfix(std::string_view spaced) {
    const std::vector<std::string> tokens = passes::CompleteTokens(std::string(spaced));
    double result = 0.0;
    std::vector<std::string> stack;
    for (const std::string& token : tokens) {
        if (const int op = passes::OperatorOf(token)) {
            if (stack.size() < 2) return result;  // the operator finds too few operands
            const std::string right = std::move(stack.back());
            stack.pop_back();
            const std::string left = std::move(stack.back());
            stack.pop_back();
            result = ApplyOperator(char(op), left, right);
            stack.push_back(PrintGeneral6(result));
        } else if (tokens.size() == 1) {
            result = ReadLeadingNumber(token);
        } else {
            stack.push_back(token);
        }
    }
    return result;
}

bool EvaluateExpression(std::string_view text, double& result) {
    if (!CheckExpressionCharacters(text)) return false;
    result = EvaluatePostfix(SpaceTokens(ToPostfix(MarkNumbersAndSigns(text))));
    return true;
}

}  // namespace quillon
