#pragma once
/// The rewriting passes of the formula language, written once for any sequence of symbols: the
/// evaluator runs them on text, the formula compiler on text in which every substituted value is
/// one placeholder symbol. Sharing them keeps the compiled form's token structure identical to
/// the evaluator's.

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace quillon::formula_passes {

/// Symbols from this value upward are placeholders: each stands for one substituted number.
inline constexpr int kPlaceholderBase = 0x100;

template <class Symbol>
int Code(Symbol c) {
    if constexpr (sizeof(Symbol) == 1)
        return static_cast<unsigned char>(c);
    else
        return static_cast<int>(c);
}

inline bool IsNumberSymbol(int c) {
    return (c >= '0' && c <= '9') || c == '.' || c >= kPlaceholderBase;
}
inline bool IsSignOperator(int c) {
    return c == '+' || c == '-';
}
inline bool IsOperator(int c) {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '^';
}

/// The whole validity test: no "++", "+-", "-+" or "--", and nothing outside the 18 accepted
/// characters (and placeholders).
template <class Text>
bool CheckCharacters(const Text& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (IsSignOperator(Code(text[i])) && IsSignOperator(Code(text[i + 1]))) return false;
    for (auto symbol : text) {
        const int c = Code(symbol);
        if (!IsNumberSymbol(c) && !IsOperator(c) && c != '(' && c != ')') return false;
    }
    return true;
}

/// Puts 'v' after every number and turns every '-' that does not follow a number or a ')' into
/// the sign 'y'.
template <class Text>
Text MarkNumbers(const Text& text) {
    Text out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (IsNumberSymbol(Code(text[i])) &&
            (i + 1 == text.size() || !IsNumberSymbol(Code(text[i + 1]))))
            out.push_back('v');
    }
    for (size_t i = 0; i < out.size(); ++i)
        if (out[i] == '-' && (i == 0 || (out[i - 1] != 'v' && out[i - 1] != ')'))) out[i] = 'y';
    return out;
}

/// Shunting-yard conversion; unmatched parentheses travel to the output.
template <class Text>
Text Postfix(const Text& text) {
    Text out;
    out.reserve(text.size());
    std::vector<int> stack;
    for (auto symbol : text) {
        const int c = Code(symbol);
        if (IsNumberSymbol(c) || c == 'v' || c == 'y') {
            out.push_back(symbol);
            continue;
        }
        bool placed = false;
        while (!stack.empty()) {
            const int t = stack.back();
            bool pop;
            // Each branch states one precedence rule, even where two rules give the same answer.
            // NOLINTBEGIN(bugprone-branch-clone)
            if (t == '(' || c == '(')
                pop = false;
            else if (c == ')')
                pop = true;
            else if (t == '^')
                pop = c != '^';  // '^' groups right to left
            else if (c == '^')
                pop = false;
            else if (t == '*' || t == '/')
                pop = true;
            else
                pop = c != '*' && c != '/';
            // NOLINTEND(bugprone-branch-clone)
            if (pop) {
                out.push_back(static_cast<typename Text::value_type>(t));
                stack.pop_back();
                if (stack.empty()) {
                    stack.push_back(c);
                    placed = true;
                    break;
                }
            } else {
                if (c == ')')
                    stack.pop_back();  // the matching '(' and the ')' both vanish
                else
                    stack.push_back(c);
                placed = true;
                break;
            }
        }
        if (!placed) stack.push_back(c);
    }
    while (!stack.empty()) {
        out.push_back(static_cast<typename Text::value_type>(stack.back()));
        stack.pop_back();
    }
    return out;
}

/// A blank after every operator, a blank for every 'v', then '-' for every sign 'y'.
template <class Text>
Text Space(const Text& text) {
    Text out;
    out.reserve(text.size() * 2);
    for (auto symbol : text) {
        const int c = Code(symbol);
        out.push_back(c == 'v' ? ' ' : symbol);
        if (IsOperator(c)) out.push_back(' ');
    }
    for (auto& symbol : out)
        if (symbol == 'y') symbol = '-';
    return out;
}

/// The tokens that a blank ends, in order; an unterminated remainder is left out.
template <class Text>
std::vector<Text> CompleteTokens(const Text& text) {
    std::vector<Text> tokens;
    Text token;
    for (auto symbol : text) {
        if (symbol == ' ') {
            tokens.push_back(token);
            token.clear();
        } else {
            token.push_back(symbol);
        }
    }
    return tokens;
}

/// A token that is exactly one operator: the operator, else 0.
template <class Text>
int OperatorOf(const Text& token) {
    return token.size() == 1 && IsOperator(Code(token[0])) ? Code(token[0]) : 0;
}

/// The arithmetic of one operator. Every not-a-number result becomes the one quiet NaN, so that
/// its text ("nan") and every value computed from it are the same on every platform and path.
inline double Arithmetic(int op, double left, double right) {
    double result;
    switch (op) {
        case '+':
            result = left + right;
            break;
        case '-':
            result = left - right;
            break;
        case '*':
            result = left * right;
            break;
        case '/':
            result = left / right;
            break;
        default:
            result = std::pow(left, right);
            break;
    }
    return std::isnan(result) ? std::numeric_limits<double>::quiet_NaN() : result;
}

}  // namespace quillon::formula_passes
