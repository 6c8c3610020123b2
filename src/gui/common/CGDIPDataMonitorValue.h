#pragma once
/// A value display with an optional status lamp: shows the value text, or the status text when
/// the status entry forces it; a click on a lamp that does not force its text toggles the two.

#include <cstdint>

#include <QColor>
#include <QString>

#include "gui/common/CGDIPBuffer.h"

namespace quillon {

class CGDIPDataMonitorValue : public CGDIPBuffer {
    Q_OBJECT
public:
    static constexpr int kLampSize = 15;

    explicit CGDIPDataMonitorValue(QWidget* parent = nullptr);

    /// Stores the value text and status code and re-renders.
    void SetStatus(const QString& valueText, uint32_t status);
    void SetFontSize(int pointSize);
    void SetBold(bool bold);
    void SetAlignment(Qt::Alignment alignment);
    void SetBackgroundColor(const QColor& color);
    void SetTextColor(const QColor& color);

    const QString& ValueText() const { return m_valueText; }
    uint32_t Status() const { return m_status; }
    int Lamp() const;  // lamp code shown, 0 for none
    /// What the display shows now: the value text or the status text.
    QString ShownText() const;
    bool ShowsStatusText() const;
    /// The shown text does not fit: it is drawn elided and its tooltip shows it whole.
    bool IsTextCut() const;

protected:
    void Render(QPainter& painter, const QSize& size) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect TextRect(const QSize& size) const;
    QString DrawnText() const;

    QString m_valueText;
    uint32_t m_status = 0;
    bool m_toggled = false;  // the user swapped value and status text
    QColor m_background = Qt::black;
    QColor m_textColor = Qt::white;
    QFont m_font;
    Qt::Alignment m_alignment = Qt::AlignRight | Qt::AlignVCenter;
};

}  // namespace quillon
