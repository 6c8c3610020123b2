#pragma once
/// The formula language's evaluator: a purely numeric infix expression over the characters
/// "0123456789+-*/^()." rewritten in passes and evaluated on a stack of number texts. It is the
/// reference that every faster form of a formula must match bit for bit.

#include <string>
#include <string_view>

namespace quillon {

/// Evaluates `text`. False, with `result` untouched, when the character check fails; otherwise
/// true with the value. Malformed but accepted expressions still give a number.
bool EvaluateExpression(std::string_view text, double& result);

/// False for "++", "+-", "-+", "--" and for any character outside "0123456789+-*/^().".
bool CheckExpressionCharacters(std::string_view text);

/// Marks the end of every number with 'v' and every sign (a '-' at the start or after anything
/// but a number or ')') with 'y'.
std::string MarkNumbersAndSigns(std::string_view text);

/// Shunting-yard conversion of the marked text: '^' binds tightest (right to left), then '*' and
/// '/', then '+' and '-'; unmatched parentheses go to the output.
std::string ToPostfix(std::string_view marked);

/// One blank after every operator, a blank for every 'v', '-' for every 'y'.
std::string SpaceTokens(std::string_view postfix);

/// Evaluates the blank-terminated tokens; intermediate results travel as 6-significant-digit
/// texts, the last operation's result is returned at full precision, an operator lacking
/// operands ends the evaluation with the result so far (0.0 before any operation).
double EvaluatePostfix(std::string_view spaced);

/// Reads both operand texts (longest leading decimal number) and applies '+', '-', '*', '/' or
/// '^'. Every not-a-number result is the one quiet NaN.
double ApplyOperator(char op, std::string_view left, std::string_view right);

}  // namespace quillon
