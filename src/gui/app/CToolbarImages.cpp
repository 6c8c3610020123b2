#include "gui/app/CToolbarImages.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace quillon {

namespace {

const QColor kInk(0x33, 0x40, 0x4f);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kBlue(0x2a, 0x74, 0xc8);
const QColor kGreen(0x2b, 0x9a, 0x55);
const QColor kRed(0xd2, 0x3f, 0x31);
const QColor kOrange(0xe5, 0x84, 0x12);
const QColor kFolder(0xe9, 0xb6, 0x44);
const QColor kGrey(0x9a, 0xa3, 0xad);

QPen Pen(const QColor& c, qreal w = 1.5, Qt::PenStyle style = Qt::SolidLine) {
    QPen p(c, w, style, Qt::RoundCap, Qt::RoundJoin);
    return p;
}

void Sheet(QPainter& p, QRectF r) {
    const qreal fold = 6;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void Floppy(QPainter& p, QRectF r) {
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 4, r.top(), r.width() - 8, r.height() * 0.4));
    p.setBrush(kInk.lighter(180));
    p.drawRect(
        QRectF(r.left() + 5, r.bottom() - r.height() * 0.38, r.width() - 10, r.height() * 0.38));
}

void Magnifier(QPainter& p) {
    p.setPen(Pen(kInk, 3.0));
    p.drawLine(QPointF(19, 19), QPointF(27, 27));
    p.setPen(Pen(kInk, 1.8));
    p.setBrush(QColor(0xe4, 0xf0, 0xfb));
    p.drawEllipse(QPointF(13, 12.5), 8.5, 8.5);
}

void SmallAxes(QPainter& p) {
    p.setPen(Pen(kGrey, 1.2));
    p.drawLine(QPointF(4, 4), QPointF(4, 26));
    p.drawLine(QPointF(4, 26), QPointF(29, 26));
}

void Curve(QPainter& p, const QColor& c, qreal dy, Qt::PenStyle style = Qt::SolidLine) {
    QPainterPath path;
    path.moveTo(5, 22 + dy);
    path.cubicTo(11, 22 + dy, 12, 8 + dy, 17, 10 + dy);
    path.cubicTo(22, 12 + dy, 23, 18 + dy, 29, 6 + dy);
    p.setPen(Pen(c, 2.0, style));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Text(QPainter& p, QRectF r, const QString& text, const QColor& c, int pixelSize,
          bool bold = true, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void InfoBadge(QPainter& p, const QColor& c) {
    p.setPen(Pen(Qt::white, 1.2));
    p.setBrush(c);
    p.drawEllipse(QPointF(22, 20), 7, 7);
    Text(p, QRectF(15, 13, 14, 14), QStringLiteral("i"), Qt::white, 11);
}

// A curve crossing a dashed trigger level, with the zero line where it first does.
void AutoZero(QPainter& p, const QColor& c) {
    SmallAxes(p);
    p.setPen(Pen(kGrey, 1.0, Qt::DashLine));
    p.drawLine(QPointF(5, 14), QPointF(29, 14));
    Curve(p, c, 0);
    p.setPen(Pen(kRed, 1.8));
    p.drawLine(QPointF(12.5, 3), QPointF(12.5, 26));
    p.setBrush(kRed);
    p.drawEllipse(QPointF(12.5, 14), 2.2, 2.2);
    Text(p, QRectF(17, 17, 14, 12), QStringLiteral("A"), kInk, 10);
}

// The zero instant at the cursor: a red line with its "0".
void ZeroTime(QPainter& p, const QColor& c) {
    SmallAxes(p);
    Curve(p, c, 0);
    p.setPen(Pen(kRed, 1.8));
    p.drawLine(QPointF(17, 3), QPointF(17, 26));
    p.setPen(Pen(Qt::white, 1));
    p.setBrush(kRed);
    p.drawEllipse(QPointF(24.5, 21), 5.5, 5.5);
    Text(p, QRectF(19, 15.5, 11, 11), QStringLiteral("0"), Qt::white, 9);
}

void Bracket(QPainter& p, bool start) {
    SmallAxes(p);
    Curve(p, kBlue, 0);
    const QColor c = start ? kGreen : kRed;
    const qreal x = start ? 10 : 22;
    const qreal d = start ? 4 : -4;
    p.setPen(Pen(c, 2.4));
    p.setBrush(Qt::NoBrush);
    QPolygonF b;
    b << QPointF(x + d, 3) << QPointF(x, 3) << QPointF(x, 27) << QPointF(x + d, 27);
    p.drawPolyline(b);
    // Shade the part that is cut away.
    QColor shade = c;
    shade.setAlpha(60);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRect(start ? QRectF(1, 3, x - 1, 24) : QRectF(x, 3, 31 - x, 24));
}

void Draw(QPainter& p, int k) {
    switch (k) {
        case 0: {  // Open Data Log: an open folder
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kFolder.darker(115));
            QPainterPath back;
            back.moveTo(3, 8);
            back.lineTo(11, 8);
            back.lineTo(13, 10);
            back.lineTo(25, 10);
            back.lineTo(25, 25);
            back.lineTo(3, 25);
            back.closeSubpath();
            p.drawPath(back);
            Sheet(p, QRectF(7, 5, 15, 14));
            p.setBrush(kFolder);
            QPolygonF front;
            front << QPointF(3, 25) << QPointF(7.5, 14) << QPointF(30, 14) << QPointF(25.5, 25);
            p.drawPolygon(front);
            break;
        }
        case 1:  // Save
            Floppy(p, QRectF(5, 4, 22, 22));
            break;
        case 2: {  // Save As: the disk and a pen
            Floppy(p, QRectF(3, 4, 20, 20));
            p.setPen(Pen(kInk, 1.0));
            p.setBrush(kOrange);
            QPolygonF pen;
            pen << QPointF(17, 25) << QPointF(27, 13) << QPointF(30, 16) << QPointF(20, 28);
            p.drawPolygon(pen);
            p.setBrush(kInk);
            QPolygonF tip;
            tip << QPointF(17, 25) << QPointF(20, 28) << QPointF(16, 29);
            p.drawPolygon(tip);
            break;
        }
        case 3: {  // Export: a table and an arrow leaving it
            Sheet(p, QRectF(3, 3, 19, 24));
            p.setPen(Pen(kGrey, 1.0));
            for (int y = 9; y <= 24; y += 5)
                p.drawLine(QPointF(5, y), QPointF(20, y));
            p.drawLine(QPointF(11, 6), QPointF(11, 25));
            p.setPen(Pen(kGreen, 3.0));
            p.drawLine(QPointF(16, 19), QPointF(27, 19));
            p.setBrush(kGreen);
            p.setPen(Pen(kGreen, 1.0));
            QPolygonF head;
            head << QPointF(25, 13.5) << QPointF(31, 19) << QPointF(25, 24.5);
            p.drawPolygon(head);
            break;
        }
        case 4:  // Properties
            Sheet(p, QRectF(5, 3, 19, 24));
            p.setPen(Pen(kGrey, 1.2));
            for (int y = 9; y <= 15; y += 3)
                p.drawLine(QPointF(8, y), QPointF(19, y));
            InfoBadge(p, kBlue);
            break;
        case 5:
            AutoZero(p, kBlue);
            break;
        case 6:
            ZeroTime(p, kBlue);
            break;
        case 7:
            Bracket(p, true);
            break;
        case 8:
            Bracket(p, false);
            break;
        case 9:  // Math Channels
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kPaper);
            p.drawRoundedRect(QRectF(2.5, 4.5, 27, 21), 3, 3);
            Text(p, QRectF(2, 4, 28, 22), QStringLiteral("f(x)"), kBlue, 12, true, true);
            break;
        case 10: {  // View Configuration: stacked panels with their curves
            const QColor colours[] = {kBlue, kGreen, kRed};
            for (int i = 0; i < 3; ++i) {
                const qreal y = 3 + i * 8.5;
                p.setPen(Pen(kInk, 1.0));
                p.setBrush(kPaper);
                p.drawRect(QRectF(3.5, y, 25, 7.5));
                p.setPen(Pen(colours[i], 1.6));
                p.drawLine(QPointF(6, y + 5.5 - i), QPointF(14, y + 2 + i));
                p.drawLine(QPointF(14, y + 2 + i), QPointF(26, y + 4.5));
            }
            break;
        }
        case 11: {  // Scatter Plot
            SmallAxes(p);
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            const QPointF dots[] = {{8, 22},  {11, 19}, {13, 21}, {15, 16}, {17, 17}, {19, 12},
                                    {21, 14}, {23, 9},  {25, 10}, {27, 6},  {10, 16}, {22, 19}};
            for (const QPointF& d : dots)
                p.drawEllipse(d, 1.7, 1.7);
            break;
        }
        case 12:  // Zoom In
        case 13:  // Zoom Out
            Magnifier(p);
            p.setPen(Pen(kInk, 2.2));
            p.drawLine(QPointF(9, 12.5), QPointF(17, 12.5));
            if (k == 12) p.drawLine(QPointF(13, 8.5), QPointF(13, 16.5));
            break;
        case 14: {  // Zoom All: the whole width between two stops
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kPaper);
            p.drawRect(QRectF(3.5, 6.5, 25, 17));
            p.setClipRect(QRectF(4, 7, 24, 16));
            Curve(p, kBlue, -1);
            p.setClipping(false);
            p.setPen(Pen(kInk, 2.0));
            p.drawLine(QPointF(7, 27.5), QPointF(25, 27.5));
            p.drawLine(QPointF(7, 27.5), QPointF(10, 25.5));
            p.drawLine(QPointF(7, 27.5), QPointF(10, 29.5));
            p.drawLine(QPointF(25, 27.5), QPointF(22, 25.5));
            p.drawLine(QPointF(25, 27.5), QPointF(22, 29.5));
            break;
        }
        case 15: {  // Zoom Last: the magnifier and a way back
            Magnifier(p);
            p.setPen(Pen(kGreen, 2.0));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(8, 8, 10, 9), 200 * 16, -250 * 16);
            p.setBrush(kGreen);
            p.setPen(Pen(kGreen, 1.0));
            QPolygonF head;
            head << QPointF(6, 13) << QPointF(12, 13) << QPointF(8.5, 17.5);
            p.drawPolygon(head);
            break;
        }
        case 16: {  // Update Stats
            p.setPen(Pen(kInk, 1.2));
            p.setBrush(kPaper);
            p.drawRoundedRect(QRectF(2.5, 3.5, 27, 23), 3, 3);
            Text(p, QRectF(3, 2, 16, 24), QString(QChar(0x03A3)), kBlue, 17);
            p.setPen(Pen(kGreen, 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(17, 9, 10, 10), 90 * 16, 270 * 16);
            p.setBrush(kGreen);
            p.setPen(Pen(kGreen, 1.0));
            QPolygonF head;
            head << QPointF(20, 7) << QPointF(24, 9.5) << QPointF(20, 12);
            p.drawPolygon(head);
            break;
        }
        case 17:  // Compare Data Log: a second, dashed run over the first
            SmallAxes(p);
            Curve(p, kBlue, 2);
            Curve(p, kOrange, -3, Qt::DashLine);
            break;
        case 18: {  // Close Comparison
            SmallAxes(p);
            Curve(p, kOrange, -2, Qt::DashLine);
            p.setPen(Pen(kRed, 3.0));
            p.drawLine(QPointF(17, 15), QPointF(28, 26));
            p.drawLine(QPointF(28, 15), QPointF(17, 26));
            break;
        }
        case 19:  // Comparison Properties
            Sheet(p, QRectF(5, 3, 19, 24));
            p.setPen(Pen(kOrange, 1.4, Qt::DashLine));
            for (int y = 9; y <= 15; y += 3)
                p.drawLine(QPointF(8, y), QPointF(19, y));
            InfoBadge(p, kOrange);
            break;
        case 20:
            AutoZero(p, kOrange);
            break;
        case 21:
            ZeroTime(p, kOrange);
            break;
        default:
            break;
    }
}

}  // namespace

QPixmap CToolbarImages::Image(int k, qreal devicePixelRatio) {
    if (k < 0 || k >= kCount) return {};
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(qRound(kWidth * dpr), qRound(kHeight * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Draw(p, k);
    return pixmap;
}

QIcon CToolbarImages::Icon(int k) {
    QIcon icon;
    icon.addPixmap(Image(k, 1.0));
    icon.addPixmap(Image(k, 2.0));
    return icon;
}

QPixmap CToolbarImages::Strip(qreal devicePixelRatio) {
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap strip(qRound(kWidth * kCount * dpr), qRound(kHeight * dpr));
    strip.setDevicePixelRatio(dpr);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int k = 0; k < kCount; ++k)
        p.drawPixmap(QPointF(k * kWidth, 0), Image(k, dpr));
    return strip;
}

QIcon CToolbarImages::AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(QColor(0x1f, 0x2a, 0x36));
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        p.translate(0, 1);
        Curve(p, QColor(0x5c, 0xb8, 0xff), 0);
        Curve(p, kOrange, -5, Qt::DashLine);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace quillon
