#pragma once
/// A text with a soft glow around it, optionally rotated about the control's centre.

#include <QColor>
#include <QFont>
#include <QString>

#include "controls/CGDIPBuffer.h"

namespace quillon {

class CGDIPGlowLabel : public CGDIPBuffer {
    Q_OBJECT
public:
    explicit CGDIPGlowLabel(QWidget* parent = nullptr, const QString& text = {});

    void SetText(const QString& text);
    void SetColors(const QColor& text, const QColor& glow);
    void SetLabelFont(const QFont& font);
    void SetAngle(double degrees);
    void SetAlignment(Qt::Alignment alignment);
    /// The glow radius in pixels; 0 draws the plain text.
    void SetGlow(int radius);

    const QString& Text() const { return m_text; }
    QColor TextColor() const { return m_textColor; }

protected:
    void Render(QPainter& painter, const QSize& size) override;

private:
    QString m_text;
    QColor m_textColor = Qt::white;
    QColor m_glowColor = QColor(60, 120, 255);
    QFont m_font;
    double m_angle = 0;
    int m_glow = 2;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace quillon
