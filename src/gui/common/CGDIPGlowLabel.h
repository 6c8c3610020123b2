#pragma once
/// A text with a soft glow around it, optionally rotated about the control's centre.

#include <QColor>
#include <QFont>
#include <QString>

#include "gui/common/CGDIPBuffer.h"

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
    /// A text wider than the label is cut at this side with an ellipsis, and the whole text
    /// becomes the tooltip. Qt::ElideNone (the default) draws every text as it is.
    void SetElideMode(Qt::TextElideMode mode);

    const QString& Text() const { return m_text; }
    /// The text as it is drawn: the whole text, or its elided form.
    QString ShownText() const;
    QColor TextColor() const { return m_textColor; }
    const QFont& LabelFont() const { return m_font; }

protected:
    void Render(QPainter& painter, const QSize& size) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void TextChanged();

    QString m_text;
    QColor m_textColor = Qt::white;
    QColor m_glowColor = QColor(60, 120, 255);
    QFont m_font;
    double m_angle = 0;
    int m_glow = 2;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::TextElideMode m_elide = Qt::ElideNone;
};

}  // namespace quillon
