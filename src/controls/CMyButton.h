#pragma once
/// The popup-slider button of CNumericEdit: a drop-down arrow that shows itself pressed while
/// the popup is open.

#include <QAbstractButton>

namespace quillon {

class CMyButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CMyButton(QWidget* parent);
    void SetPressed(bool pressed);
    bool IsHover() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hover = false;
    bool m_shownPressed = false;
};

}  // namespace quillon
