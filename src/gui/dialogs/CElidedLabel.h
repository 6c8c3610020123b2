#pragma once
/// A one-line read-only text that never widens its window: what does not fit is elided in the
/// middle (paths keep their file name) and the whole text is in the tooltip.

#include <QWidget>

namespace quillon {

class CElidedLabel : public QWidget {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text; }
    /// The text as painted at the current width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

}  // namespace quillon
