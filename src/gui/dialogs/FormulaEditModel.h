#pragma once
/// The editing logic of a formula field without any widget: the stored formula with "[NNN]"
/// channel references, the shown text with the channels' display names, the mapping between the
/// two, and the edits (insert a character or a reference, backspace, caret moves, clicks) that
/// never cut a reference.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class FormulaEditModel {
public:
    /// Display name of a channel number (the part shown between the brackets).
    using NameLookup = std::function<std::string(int channel)>;

    /// Stored formulas hold at most 254 characters; typing stops at 255 shown characters.
    static constexpr int kMaxFormula = 254;
    static constexpr int kMaxTyped = 255;

    explicit FormulaEditModel(NameLookup names = {});

    /// Replaces the formula (caret at its end) and rebuilds the shown text.
    void SetFormula(const std::string& formula);
    const std::string& Formula() const { return m_formula; }
    const std::string& Shown() const { return m_shown; }
    /// Rebuilds the shown text, as after a channel was renamed; the caret stays in place.
    void Refresh();

    /// The selection in shown positions; start == end is a plain caret at `caret`.
    int SelectionStart() const { return m_selStart; }
    int SelectionEnd() const { return m_selEnd; }
    int Caret() const { return m_caret; }
    /// Takes the field's selection; positions are clamped to the shown text.
    void SetSelection(int start, int end, int caret);
    void SetCaret(int caret) { SetSelection(caret, caret, caret); }

    /// Shown position to formula position. A position inside a shown reference maps to the
    /// reference's '[' for the start of a range and behind its ']' for the end of a range.
    int ToFormula(int shown, bool rangeEnd) const;
    /// Formula position to shown position (inside a reference: its start or end likewise).
    int ToShown(int formula, bool rangeEnd) const;
    /// The shown reference that strictly contains `shown`, as [start, end); false outside.
    bool ReferenceAt(int shown, int& start, int& end) const;

    /// Inserts one character over the selection. `typed` applies the typing limit of shown
    /// characters as well. False (and nothing changes) when a limit would be passed.
    bool InsertChar(char c, bool typed = false);
    /// Inserts "[%03i]" of `channel` over the selection; false when the stored limit would be
    /// passed or the channel is not 1 to 440.
    bool InsertReference(int channel);
    /// Deletes the selection, or the character before the caret, widened to whole references.
    /// False when there was nothing to delete.
    bool Backspace();
    /// One character left or right, going past a whole reference instead of into it.
    void MoveLeft();
    void MoveRight();
    /// After a mouse selection: an end that lies inside a reference takes in the whole reference.
    void ClickSelection(int start, int end);

    /// Whether typed character c is one the field takes.
    static bool IsAcceptedChar(char c);
    /// The check made on OK: references become parenthesised numbers, then the evaluator's
    /// verdict.
    static bool CheckFormula(const std::string& formula);

private:
    struct Segment {
        int formulaStart, formulaLength;
        int shownStart, shownLength;
        bool reference;
    };
    void Rebuild();
    /// Replaces a shown range, widened to whole references, by `text`; typedLimit > 0 also caps
    /// the shown length.
    bool Replace(int shownStart, int shownEnd, const std::string& text, int typedLimit);

    NameLookup m_names;
    std::string m_formula;
    std::string m_shown;
    std::vector<Segment> m_segments;
    int m_selStart = 0;
    int m_selEnd = 0;
    int m_caret = 0;
};

}  // namespace quillon
