#pragma once
/// A rounded button with a gradient body, a translucent blue highlight under the mouse and its
/// text centred (grey when disabled).

#include "gui/common/CHoverButton.h"

namespace quillon {

class CGDIPButton : public CHoverButton {
    Q_OBJECT
public:
    explicit CGDIPButton(const QString& text, QWidget* parent = nullptr);
    static QColor HoverColor() { return QColor(100, 100, 175, 78); }
    static QColor DisabledTextColor() { return QColor(150, 150, 150); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillon
