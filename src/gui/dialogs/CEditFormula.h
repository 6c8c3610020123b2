#pragma once
/// A formula field: shows channel references by name while it stores them by number. Every edit
/// goes through FormulaEditModel; the field only passes keys and clicks on and shows the result,
/// with a red background while its formula failed the check.

#include <QLineEdit>

#include "gui/dialogs/FormulaEditModel.h"

namespace quillon {

class CEditFormula : public QLineEdit {
    Q_OBJECT
public:
    CEditFormula(FormulaEditModel::NameLookup names, QWidget* parent = nullptr);

    void SetFormula(const std::string& formula);
    const std::string& Formula() const { return m_model.Formula(); }
    const FormulaEditModel& Model() const { return m_model; }

    /// The keypad's and the channel list's edits at the caret; false when refused (limit).
    bool InsertChar(char c);
    bool InsertReference(int channel);
    bool Backspace();
    /// Shows the names again after they may have changed.
    void RefreshNames();

    /// The check made on OK; sets the valid flag, which paints the background red when false.
    bool Check();
    bool IsValid() const { return m_valid; }
    void SetValid(bool valid);
    static QColor InvalidColor() { return QColor(255, 0, 0); }

signals:
    /// The field received the input focus (it becomes the dialog's active formula field).
    void activated(CEditFormula* field);
    void formulaChanged();
    /// An insertion was refused because the formula is full.
    void formulaFull();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    /// Hands the field's selection to the model.
    void TakeSelection();
    /// Shows the model's text and selection and gives the field the focus.
    void Show(bool changed);

    FormulaEditModel m_model;
    bool m_valid = true;
};

}  // namespace quillon
