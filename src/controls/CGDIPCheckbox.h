#pragma once
/// A self-drawn check box that keeps its own check state: each click toggles it, repaints and
/// then reports the click.

#include <QAbstractButton>

namespace quillon {

class CGDIPCheckbox : public QAbstractButton {
    Q_OBJECT
public:
    explicit CGDIPCheckbox(const QString& text = {}, QWidget* parent = nullptr);

    /// 1 or 2 check the box, anything else clears it.
    void SetCheck(int check);
    int GetCheck() const { return isChecked() ? 1 : 0; }
    bool IsHover() const { return m_hover; }
    void SetTextColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_hover = false;
    QColor m_textColor = Qt::white;
};

}  // namespace quillon
