#pragma once
/// A self-drawn check box that keeps its own check state: each click toggles it, repaints and
/// then reports the click.

#include "gui/common/CHoverButton.h"

namespace quillon {

class CGDIPCheckbox : public CHoverButton {
    Q_OBJECT
public:
    explicit CGDIPCheckbox(const QString& text = {}, QWidget* parent = nullptr);

    /// 1 or 2 check the box, anything else clears it.
    void SetCheck(int check);
    int GetCheck() const { return isChecked() ? 1 : 0; }
    void SetTextColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_textColor = Qt::white;
};

}  // namespace quillon
