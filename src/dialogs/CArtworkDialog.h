#pragma once
/// A dialog drawn on the program's artwork (black beyond it) in which Return and Enter run the
/// dialog's own OK, wherever the focus is: the graph and math channel setup dialogs.

#include <QDialog>

namespace quillon {

class CArtworkDialog : public QDialog {
public:
    explicit CArtworkDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    /// Checks and takes the dialog's input, then accepts it (or stays open).
    virtual void OnOK() = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillon
