#include "gui/chart/ScatterPlotView.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include "gui/common/CGDIPColorLegend.h"
#include "gui/common/NumericFormat.h"

namespace quillon {

namespace {

const QColor kPlotBackground(18, 18, 22);
const QColor kGrid(58, 58, 66);
constexpr int kTickLength = 5;
constexpr int kGap = 4;
constexpr int kEdge = 8;
constexpr double kPickRadius = 8.0;  // logical pixels

QString TickText(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

/// The dot's half side in device pixels: 3 x 3 at 1x, 5 x 5 at 2x.
int DotRadius(qreal pixelRatio) {
    return std::max(1, int(std::lround(pixelRatio)));
}

}  // namespace

ScatterPlotView::ScatterPlotView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
}

void ScatterPlotView::SetPlot(ScatterPlotData data, const Texts& texts,
                              const ScatterRange& xFallback, const ScatterRange& yFallback) {
    m_data = std::move(data);
    m_texts = texts;
    const bool any = m_data.DrawnCount() > 0;
    m_xFull = ScatterAxis::FullRange(m_data.XExtent(), any, xFallback);
    m_yFull = ScatterAxis::FullRange(m_data.YExtent(), any, yFallback);
    m_x = m_xFull;
    m_y = m_yFull;
    m_hoverFrame = -1;
    InvalidateRaster();
}

ScatterPlotData ScatterPlotView::TakeData() {
    m_rasterValid = false;
    m_hoverFrame = -1;
    return std::move(m_data);
}

void ScatterPlotView::ZoomAt(const QPointF& pos, double factor) {
    const QRect plot = PlotRect();
    const ScatterMapping m = MappingFor(plot, 1.0);
    const QPointF p = plot.contains(pos.toPoint()) ? pos : QPointF(plot.center());
    const ScatterRange x = ScatterAxis::Within(
        ScatterAxis::Zoom(m_x, m.ValueX(p.x() - plot.left() - 0.5), factor), m_xFull);
    const ScatterRange y = ScatterAxis::Within(
        ScatterAxis::Zoom(m_y, m.ValueY(p.y() - plot.top() - 0.5), factor), m_yFull);
    if (x == m_x && y == m_y) return;
    m_x = x;
    m_y = y;
    m_hoverFrame = -1;
    InvalidateRaster();
}

void ScatterPlotView::ResetZoom() {
    if (!IsZoomed()) return;
    m_x = m_xFull;
    m_y = m_yFull;
    m_hoverFrame = -1;
    InvalidateRaster();
}

void ScatterPlotView::SetCursorFrame(int frame) {
    if (frame == m_cursorFrame) return;
    m_cursorFrame = frame;
    update();
}

void ScatterPlotView::SetSelectionBox(const std::optional<ValueBox>& box, const QString& note) {
    m_box = box;
    m_note = note;
    update();
}

QPointF ScatterPlotView::ValuesAt(const QPointF& pos) const {
    const QRect plot = PlotRect();
    const ScatterMapping m = MappingFor(plot, 1.0);
    return {m.ValueX(pos.x() - plot.left() - 0.5), m.ValueY(pos.y() - plot.top() - 0.5)};
}

void ScatterPlotView::InvalidateRaster() {
    m_rasterValid = false;
    update();
}

QRect ScatterPlotView::PlotRect() const {
    return LayOut(size()).plot;
}

ScatterMapping ScatterPlotView::MappingFor(const QRect& plot, qreal pixelRatio) const {
    return ScatterMapping(m_x.minimum, m_x.maximum, m_y.minimum, m_y.maximum,
                          int(std::lround(plot.width() * pixelRatio)),
                          int(std::lround(plot.height() * pixelRatio)));
}

QPointF ScatterPlotView::PixelToWidget(const QRect& plot, qreal pixelRatio, double px,
                                       double py) const {
    return {plot.left() + (px + 0.5) / pixelRatio, plot.top() + (py + 0.5) / pixelRatio};
}

ScatterPlotView::Frame ScatterPlotView::LayOut(const QSize& size) const {
    const QFontMetrics fm(font());
    const int lineHeight = fm.height();
    Frame f;
    const int top = kEdge + lineHeight / 2;
    const int bottom = kTickLength + kGap + lineHeight + kGap + lineHeight + kEdge;
    const int plotHeight = std::max(size.height() - top - bottom, 1);

    // The y numbers decide the left margin; the x numbers must not run into each other.
    f.yTicks = ScatterAxis::Ticks(m_y, std::clamp(plotHeight / (lineHeight * 2), 2, 12));
    f.yDecimals = ScatterAxis::TickDecimals(f.yTicks);
    int yTextWidth = 0;
    for (double t : f.yTicks)
        yTextWidth = std::max(yTextWidth, fm.horizontalAdvance(TickText(t, f.yDecimals)));
    const int left = kEdge + lineHeight + kGap + yTextWidth + kGap + kTickLength;

    int right = kEdge + fm.horizontalAdvance(QStringLiteral("0000")) / 2;
    int plotWidth = std::max(size.width() - left - right, 1);
    for (int maxTicks = std::clamp(plotWidth / 60, 2, 12); maxTicks >= 2; --maxTicks) {
        f.xTicks = ScatterAxis::Ticks(m_x, maxTicks);
        f.xDecimals = ScatterAxis::TickDecimals(f.xTicks);
        int widest = 0;
        for (double t : f.xTicks)
            widest = std::max(widest, fm.horizontalAdvance(TickText(t, f.xDecimals)));
        right = std::max(right, kEdge + widest / 2);
        plotWidth = std::max(size.width() - left - right, 1);
        const double spacing = f.xTicks.size() < 2 ? plotWidth
                                                   : plotWidth * (f.xTicks[1] - f.xTicks[0]) /
                                                         (m_x.maximum - m_x.minimum);
        if (spacing >= widest + 2 * fm.horizontalAdvance(QLatin1Char('0'))) break;
    }
    f.plot = QRect(left, top, plotWidth, plotHeight);
    return f;
}

const QImage& ScatterPlotView::Raster(const QRect& plot, qreal pixelRatio) const {
    if (m_rasterValid && m_rasterSize == plot.size() && m_rasterRatio == pixelRatio)
        return m_rasterImage;
    const ScatterMapping mapping = MappingFor(plot, pixelRatio);
    m_raster.Bin(m_data.X().data(), m_data.Y().data(), m_data.Size(), mapping);
    m_raster.Paint(m_data.RampIndices().data(), CGDIPColorLegend::Ramp().data(),
                   DotRadius(pixelRatio), m_rasterImage);
    m_rasterImage.setDevicePixelRatio(pixelRatio);
    m_rasterValid = true;
    m_rasterSize = plot.size();
    m_rasterRatio = pixelRatio;
    ++m_rasterBuilds;
    return m_rasterImage;
}

int ScatterPlotView::FrameAt(const QPointF& pos) const {
    const QRect plot = PlotRect();
    const qreal ratio = devicePixelRatioF();
    Raster(plot, ratio);
    return m_raster.NearestFrame((pos.x() - plot.left()) * ratio - 0.5,
                                 (pos.y() - plot.top()) * ratio - 0.5, kPickRadius * ratio);
}

QPointF ScatterPlotView::PositionOf(int frame) const {
    if (frame < 0 || frame >= m_data.Size() || !m_data.IsDrawn(frame)) return {-1, -1};
    const QRect plot = PlotRect();
    const ScatterMapping m = MappingFor(plot, devicePixelRatioF());
    int px, py;
    if (!m.ToPixel(m_data.X()[size_t(frame)], m_data.Y()[size_t(frame)], &px, &py)) return {-1, -1};
    return PixelToWidget(plot, devicePixelRatioF(), px, py);
}

QImage ScatterPlotView::RenderImage(const QSize& size, qreal pixelRatio) {
    QImage image(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    QPainter painter(&image);
    Draw(painter, size, pixelRatio, false);
    return image;
}

void ScatterPlotView::Render(QPainter& painter, const QSize& size) {
    Draw(painter, size, 2.0, false);
}

void ScatterPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter, size(), devicePixelRatioF(), true);
}

void ScatterPlotView::Draw(QPainter& painter, const QSize& size, qreal pixelRatio, bool readout) {
    const Frame f = LayOut(size);
    painter.fillRect(QRect(QPoint(0, 0), size), palette().window());
    painter.fillRect(f.plot, kPlotBackground);
    painter.setFont(font());
    DrawAxes(painter, f, pixelRatio);

    painter.save();
    painter.setClipRect(f.plot);
    if (m_data.DrawnCount() > 0) {
        painter.drawImage(f.plot.topLeft(), Raster(f.plot, pixelRatio));
    } else {
        painter.setPen(QColor(170, 170, 180));
        painter.drawText(f.plot, Qt::AlignCenter, tr("No points to show"));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const ScatterMapping m = MappingFor(f.plot, pixelRatio);
    auto ring = [&](int frame, const QColor& colour, qreal radius) {
        int px, py;
        if (frame < 0 || frame >= m_data.Size() || !m_data.IsDrawn(frame) ||
            !m.ToPixel(m_data.X()[size_t(frame)], m_data.Y()[size_t(frame)], &px, &py))
            return QPointF(-1, -1);
        const QPointF at = PixelToWidget(f.plot, pixelRatio, px, py);
        painter.setPen(QPen(Qt::black, 4.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, radius, radius);
        painter.setPen(QPen(colour, 2.0));
        painter.drawEllipse(at, radius, radius);
        return at;
    };
    DrawSelection(painter, f.plot, pixelRatio, readout && m_dragging);
    ring(m_cursorFrame, Qt::white, 7.0);
    if (readout && m_hoverFrame >= 0) {
        const QPointF at = ring(m_hoverFrame, QColor(255, 255, 255, 200), 5.0);
        if (at.x() >= 0) DrawReadout(painter, f.plot, at);
    }
    painter.restore();
}

void ScatterPlotView::DrawAxes(QPainter& painter, const Frame& f, qreal pixelRatio) const {
    const QFontMetrics fm(font());
    const QRect& plot = f.plot;
    // The same mapping as the points', so that a point on a tick value sits on its grid line.
    const ScatterMapping m = MappingFor(plot, pixelRatio);
    const QColor text = palette().color(QPalette::WindowText);

    for (double t : f.xTicks) {
        const double x = plot.left() + (m.PixelX(t) + 0.5) / pixelRatio;
        painter.setPen(kGrid);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(text);
        painter.drawLine(QPointF(x, plot.bottom() + 1), QPointF(x, plot.bottom() + kTickLength));
        const QString label = TickText(t, f.xDecimals);
        const int w = fm.horizontalAdvance(label);
        painter.drawText(QPointF(x - w / 2.0, plot.bottom() + kTickLength + kGap + fm.ascent()),
                         label);
    }
    for (double t : f.yTicks) {
        const double y = plot.top() + (m.PixelY(t) + 0.5) / pixelRatio;
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(text);
        painter.drawLine(QPointF(plot.left() - kTickLength, y), QPointF(plot.left() - 1, y));
        const QString label = TickText(t, f.yDecimals);
        const int w = fm.horizontalAdvance(label);
        painter.drawText(
            QPointF(plot.left() - kTickLength - kGap - w, y + (fm.ascent() - fm.descent()) / 2.0),
            label);
    }
    painter.setPen(text);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));

    // Titles: the x channel centred below the numbers, the y channel turned up the left edge;
    // a title longer than its axis is elided.
    const int titleY = plot.bottom() + kTickLength + kGap + fm.height() + kGap;
    const QString xTitle = fm.elidedText(m_texts.xTitle, Qt::ElideRight, plot.width());
    painter.drawText(QRect(plot.left(), titleY, plot.width(), fm.height()), Qt::AlignCenter,
                     xTitle);
    painter.save();
    painter.translate(kEdge, plot.bottom());
    painter.rotate(-90);
    const QString yTitle = fm.elidedText(m_texts.yTitle, Qt::ElideRight, plot.height());
    painter.drawText(QRect(0, 0, plot.height(), fm.height()), Qt::AlignCenter, yTitle);
    painter.restore();
}

void ScatterPlotView::DrawReadout(QPainter& painter, const QRect& plot, const QPointF& at) const {
    const size_t i = size_t(m_hoverFrame);
    const int frame = m_hoverFrame;
    const QStringList lines = {
        m_texts.xTitle + QStringLiteral(": ") + FormatDouble(m_texts.xFormat, m_data.X()[i]),
        m_texts.yTitle + QStringLiteral(": ") + FormatDouble(m_texts.yFormat, m_data.Y()[i]),
        m_texts.colorTitle + QStringLiteral(": ") +
            FormatDouble(m_texts.colorFormat, m_data.ColorValue(frame)),
        tr("Time") + QStringLiteral(": ") + FormatDouble(m_texts.timeFormat, m_data.Time(frame)),
    };
    const QFontMetrics fm(font());
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, fm.horizontalAdvance(line));
    QRect box(0, 0, width + 2 * kGap + 2, int(lines.size()) * fm.height() + 2 * kGap);
    // Beside the point, turned to whichever side keeps the box inside the plot.
    QPoint topLeft(int(at.x()) + 12, int(at.y()) + 12);
    if (topLeft.x() + box.width() > plot.right()) topLeft.setX(int(at.x()) - 12 - box.width());
    if (topLeft.y() + box.height() > plot.bottom()) topLeft.setY(int(at.y()) - 12 - box.height());
    topLeft.setX(std::max(topLeft.x(), plot.left() + 2));
    topLeft.setY(std::max(topLeft.y(), plot.top() + 2));
    box.moveTopLeft(topLeft);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(200, 200, 210));
    painter.setBrush(QColor(0, 0, 0, 210));
    painter.drawRect(box);
    painter.setPen(Qt::white);
    for (int k = 0; k < lines.size(); ++k)
        painter.drawText(
            QPoint(box.left() + kGap + 1, box.top() + kGap + k * fm.height() + fm.ascent()),
            lines[k]);
}

void ScatterPlotView::DrawSelection(QPainter& painter, const QRect& plot, qreal pixelRatio,
                                    bool dragging) const {
    painter.setBrush(Qt::NoBrush);
    if (m_box) {
        const ScatterMapping m = MappingFor(plot, pixelRatio);
        const auto at = [&](double x, double y) {
            return PixelToWidget(plot, pixelRatio, m.PixelX(x), m.PixelY(y));
        };
        painter.setPen(QPen(QColor(255, 200, 80), 1.5, Qt::DashLine));
        painter.drawRect(QRectF(at(m_box->xMin, m_box->yMax), at(m_box->xMax, m_box->yMin)));
    }
    if (dragging) {
        painter.setPen(QPen(Qt::white, 1.0, Qt::DashLine));
        painter.setBrush(QColor(255, 200, 80, 40));
        painter.drawRect(QRectF(m_dragFrom, m_dragTo).normalized());
        painter.setBrush(Qt::NoBrush);
    }
    if (!m_note.isEmpty()) {
        const QFontMetrics fm(font());
        // Some room beyond the measured advance, which rounds.
        const QRect box(plot.left() + 4, plot.top() + 4,
                        std::min(fm.horizontalAdvance(m_note) + 2 * kGap + 6, plot.width() - 8),
                        fm.height() + 2);
        painter.fillRect(box, QColor(0, 0, 0, 170));
        painter.setPen(QColor(255, 200, 80));
        painter.drawText(box.adjusted(kGap, 0, -kGap, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         fm.elidedText(m_note, Qt::ElideRight, box.width() - 2 * kGap));
    }
}

void ScatterPlotView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        const QRect plot = PlotRect();
        m_dragTo =
            QPointF(std::clamp(event->position().x(), qreal(plot.left()), qreal(plot.right())),
                    std::clamp(event->position().y(), qreal(plot.top()), qreal(plot.bottom())));
        update();
        return;
    }
    const int frame = FrameAt(event->position());
    if (frame == m_hoverFrame) return;
    m_hoverFrame = frame;
    update();
}

void ScatterPlotView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if ((event->modifiers() & Qt::ShiftModifier) &&
        PlotRect().contains(event->position().toPoint())) {
        m_dragging = true;
        m_dragFrom = m_dragTo = event->position();
        return;
    }
    const int frame = FrameAt(event->position());
    if (frame >= 0) emit frameClicked(frame);
}

void ScatterPlotView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) return;
    m_dragging = false;
    update();
    // A Shift+click without a drag selects nothing.
    const QRectF dragged = QRectF(m_dragFrom, m_dragTo).normalized();
    if (dragged.width() < 3 && dragged.height() < 3) return;
    const QPointF a = ValuesAt(dragged.topLeft()), b = ValuesAt(dragged.bottomRight());
    emit boxSelected(ValueBox{std::min(a.x(), b.x()), std::max(a.x(), b.x()),
                              std::min(a.y(), b.y()), std::max(a.y(), b.y())});
}

void ScatterPlotView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) ResetZoom();
}

void ScatterPlotView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    ZoomAt(event->position(), std::pow(0.8, delta / 120.0));
    event->accept();
}

void ScatterPlotView::leaveEvent(QEvent*) {
    if (m_hoverFrame < 0) return;
    m_hoverFrame = -1;
    update();
}

}  // namespace quillon
