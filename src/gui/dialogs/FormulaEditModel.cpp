#include "gui/dialogs/FormulaEditModel.h"

#include <algorithm>
#include <cstdio>

#include "analysis/EvaluateExpression.h"

namespace quillon {

namespace {

constexpr int kChannelCount = 440;

}  // namespace

FormulaEditModel::FormulaEditModel(NameLookup names) : m_names(std::move(names)) {
    Rebuild();
}

void FormulaEditModel::SetFormula(const std::string& formula) {
    m_formula = formula;
    Rebuild();
    SetCaret(int(m_shown.size()));
}

void FormulaEditModel::Refresh() {
    Rebuild();
    SetSelection(m_selStart, m_selEnd, m_caret);
}

// A reference is '[', one or more digits, ']'; anything else is plain text that the shown text
// carries unchanged. The segments are the one source of truth for the mapping, so a display
// name holding brackets cannot confuse it.
void FormulaEditModel::Rebuild() {
    m_segments.clear();
    m_shown.clear();
    const int n = int(m_formula.size());
    int plainStart = 0;
    auto flushPlain = [&](int end) {
        if (end > plainStart) {
            m_segments.push_back(
                {plainStart, end - plainStart, int(m_shown.size()), end - plainStart, false});
            m_shown.append(m_formula, size_t(plainStart), size_t(end - plainStart));
        }
    };
    int i = 0;
    while (i < n) {
        int j = i + 1;
        if (m_formula[size_t(i)] == '[') {
            long number = 0;
            while (j < n && m_formula[size_t(j)] >= '0' && m_formula[size_t(j)] <= '9') {
                number = std::min(number * 10 + (m_formula[size_t(j)] - '0'), 1000000L);
                ++j;
            }
            if (j > i + 1 && j < n && m_formula[size_t(j)] == ']') {
                flushPlain(i);
                const std::string digits =
                    m_formula.substr(size_t(i) + 1, size_t(j) - size_t(i) - 1);
                const std::string name = (m_names && number >= 1 && number <= kChannelCount)
                                             ? m_names(int(number))
                                             : digits;
                const std::string shown = "[" + name + "]";
                m_segments.push_back({i, j + 1 - i, int(m_shown.size()), int(shown.size()), true});
                m_shown += shown;
                i = j + 1;
                plainStart = i;
                continue;
            }
        }
        i = i + 1;
    }
    flushPlain(n);
}

void FormulaEditModel::SetSelection(int start, int end, int caret) {
    const int n = int(m_shown.size());
    m_selStart = std::clamp(std::min(start, end), 0, n);
    m_selEnd = std::clamp(std::max(start, end), 0, n);
    m_caret = std::clamp(caret, 0, n);
}

bool FormulaEditModel::ReferenceAt(int shown, int& start, int& end) const {
    for (const Segment& s : m_segments)
        if (s.reference && shown > s.shownStart && shown < s.shownStart + s.shownLength) {
            start = s.shownStart;
            end = s.shownStart + s.shownLength;
            return true;
        }
    return false;
}

int FormulaEditModel::ToFormula(int shown, bool rangeEnd) const {
    for (const Segment& s : m_segments) {
        if (shown > s.shownStart + s.shownLength) continue;
        if (shown <= s.shownStart) return s.formulaStart;
        if (!s.reference) return s.formulaStart + (shown - s.shownStart);
        if (shown == s.shownStart + s.shownLength) return s.formulaStart + s.formulaLength;
        return rangeEnd ? s.formulaStart + s.formulaLength : s.formulaStart;
    }
    return int(m_formula.size());
}

int FormulaEditModel::ToShown(int formula, bool rangeEnd) const {
    for (const Segment& s : m_segments) {
        if (formula > s.formulaStart + s.formulaLength) continue;
        if (formula <= s.formulaStart) return s.shownStart;
        if (!s.reference) return s.shownStart + (formula - s.formulaStart);
        if (formula == s.formulaStart + s.formulaLength) return s.shownStart + s.shownLength;
        return rangeEnd ? s.shownStart + s.shownLength : s.shownStart;
    }
    return int(m_shown.size());
}

bool FormulaEditModel::Replace(int shownStart, int shownEnd, const std::string& text,
                               int typedLimit) {
    const int fs = ToFormula(shownStart, false);
    const int fe = std::max(fs, ToFormula(shownEnd, true));
    std::string formula = m_formula;
    formula.replace(size_t(fs), size_t(fe - fs), text);
    if (int(formula.size()) > kMaxFormula) return false;
    const std::string before = m_formula;
    m_formula = formula;
    Rebuild();
    if (typedLimit > 0 && int(m_shown.size()) > typedLimit) {
        m_formula = before;
        Rebuild();
        return false;
    }
    SetCaret(ToShown(fs + int(text.size()), true));
    return true;
}

bool FormulaEditModel::InsertChar(char c, bool typed) {
    return Replace(m_selStart, m_selEnd, std::string(1, c), typed ? kMaxTyped : 0);
}

bool FormulaEditModel::InsertReference(int channel) {
    if (channel < 1 || channel > kChannelCount) return false;
    char reference[16];
    std::snprintf(reference, sizeof reference, "[%03i]", channel);
    return Replace(m_selStart, m_selEnd, reference, 0);
}

bool FormulaEditModel::Backspace() {
    int start = m_selStart;
    const int end = m_selEnd;
    if (start == end) {
        if (m_caret == 0) return false;
        start = m_caret - 1;
        return Replace(start, m_caret, {}, 0);
    }
    return Replace(start, end, {}, 0);
}

void FormulaEditModel::MoveLeft() {
    int p = std::max(0, m_caret - 1);
    int start = 0, end = 0;
    if (ReferenceAt(p, start, end)) p = start;
    SetCaret(p);
}

void FormulaEditModel::MoveRight() {
    int p = std::min(int(m_shown.size()), m_caret + 1);
    int start = 0, end = 0;
    if (ReferenceAt(p, start, end)) p = end;
    SetCaret(p);
}

void FormulaEditModel::ClickSelection(int start, int end) {
    int a = std::min(start, end), b = std::max(start, end);
    int rs = 0, re = 0;
    if (ReferenceAt(a, rs, re)) a = rs;
    if (ReferenceAt(b, rs, re)) b = re;
    SetSelection(a, b, b);
}

bool FormulaEditModel::IsAcceptedChar(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == '*' || c == '/' ||
           c == '(' || c == ')';
}

bool FormulaEditModel::CheckFormula(const std::string& formula) {
    std::string text = formula;
    for (char& c : text) {
        if (c == '[') c = '(';
        if (c == ']') c = ')';
    }
    double result = 0;
    return EvaluateExpression(text, result);
}

}  // namespace quillon
