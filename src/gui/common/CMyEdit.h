#pragma once
/// The in-place edit box of CNumericEdit: accepts digits, a toggled minus sign and one decimal
/// point, and turns light red while its text lies outside the owner's range.

#include <QLineEdit>

namespace quillon {

class CNumericEdit;

class CMyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CMyEdit(CNumericEdit* owner);

    /// Allows the minus sign and the decimal point for the owner's current range and format.
    void SetAllowed(bool minus, bool decimalPoint);
    bool IsOutOfRange() const { return m_outOfRange; }
    bool MinusAllowed() const { return m_minusAllowed; }
    bool PointAllowed() const { return m_pointAllowed; }
    static QColor OutOfRangeColor() { return QColor(255, 128, 128); }
    /// Forgets the owner, which is going away: losing the focus then commits nothing.
    void Detach() { m_owner = nullptr; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnTextChanged(const QString& text);
    void ToggleMinus(bool remove);

    bool m_outOfRange = false;
    bool m_minusAllowed = false;
    bool m_pointAllowed = false;
    CNumericEdit* m_owner;
};

}  // namespace quillon
