#include "chart/CDataLogView.h"

#include <algorithm>
#include <cmath>

#include <QActionGroup>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "chart/ChartHitTest.h"
#include "config/CPrefs.h"
#include "controls/AnsiText.h"
#include "controls/WaitCursor.h"
#include "datalog/CDataLogDoc.h"

namespace quillon {

namespace {

QColor ColourOf(uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

/// Preference colours are 0x00BBGGRR.
QColor ColourOfPref(int bgr) {
    const uint32_t v = static_cast<uint32_t>(bgr);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

int PrefOfColour(const QColor& c) {
    return static_cast<int>(static_cast<uint32_t>(c.red()) |
                            (static_cast<uint32_t>(c.green()) << 8) |
                            (static_cast<uint32_t>(c.blue()) << 16));
}

QString TickText(double v, double step) {
    const int decimals =
        step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    return QString::number(v, 'f', decimals);
}

const char* const kZoomCaptions[ChartLayout::kZoomButtonCount] = {"In", "Out", "All", "Last"};
const char* const kZoomTips[ChartLayout::kZoomButtonCount] = {"Zoom In", "Zoom Out", "Zoom All",
                                                              "Zoom Last"};

}  // namespace

CDataLogView::CDataLogView(CDataLogDoc& doc, CPrefs& prefs, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_prefs(prefs) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(160, 120);
    m_background = ColourOfPref(m_prefs.GetBGColor());
    m_doc.AddView(this);
    if (m_doc.HasLog() && m_doc.GetDisplayLength() > 0) CreateChart();
}

CDataLogView::~CDataLogView() {
    m_doc.RemoveView(this);
}

void CDataLogView::OnUpdate(IDataLogView* sender, int hint) {
    if (sender == this) return;
    switch (hint) {
        case kHintRefill:
            Refill();
            break;
        case kHintLabels:
            RebuildLabels();
            break;
        case kHintRebuild:
            CreateChart();
            break;
        default:
            break;
    }
}

const LogData* CDataLogView::ComparisonLog() const {
    return m_doc.IsComparisonLoaded() ? &m_doc.Comparison() : nullptr;
}

CDataLogView::FrameSet CDataLogView::CurrentFrameSet() const {
    FrameSet fs;
    const LogTimes main = LogTimes::Of(m_doc.Main());
    fs.mainCount = main.count;
    if (!main.Empty()) {
        fs.mainFirst = main.First();
        fs.mainLast = main.Last();
    }
    if (const LogData* c = ComparisonLog()) {
        const LogTimes comparison = LogTimes::Of(*c);
        fs.comparisonCount = comparison.count;
        if (!comparison.Empty()) {
            fs.comparisonFirst = comparison.First();
            fs.comparisonLast = comparison.Last();
        }
    }
    return fs;
}

namespace {

TimeWindow SpanOf(const LogData& main, const LogData* comparison) {
    TimeWindow w{0, 0};
    bool any = false;
    for (const LogData* log : {&main, comparison}) {
        if (!log) continue;
        const LogTimes t = LogTimes::Of(*log);
        if (t.Empty()) continue;
        w.minimum = any ? std::min(w.minimum, t.First()) : t.First();
        w.maximum = any ? std::max(w.maximum, t.Last()) : t.Last();
        any = true;
    }
    return w;
}

}  // namespace

void CDataLogView::CreateChart() {
    m_background = ColourOfPref(m_prefs.GetBGColor());
    m_gradient = m_prefs.GetBitmapGradientMode();
    m_borderType = m_prefs.GetBorderType();
    if (!m_doc.HasLog() || m_doc.GetDisplayLength() <= 0 || m_doc.GetFrameCount() <= 0) {
        m_built = false;
        m_model.Clear();
        m_table.Reset();
        m_cursorItem = -1;
        m_cursorFrame = -1;
        InvalidateCurves();
        update();
        return;
    }
    WaitCursor wait;
    m_model.Build(m_doc.Config(), m_doc.GetCurrentView(), m_doc.Main(), ComparisonLog());
    // A rebuild over the same frames (new statistics, say) keeps the zoom window; new frames
    // start unzoomed.
    const FrameSet fs = CurrentFrameSet();
    const bool keepZoom = m_built && fs == m_frameSet && m_zoom.IsZoomed();
    const TimeWindow zoomed = m_zoom.Window();
    m_zoom.SetFullWindow(SpanOf(m_doc.Main(), ComparisonLog()));
    if (keepZoom) m_zoom.PanFrom(zoomed, 0);
    if (!(fs == m_frameSet)) m_zoom.ClearHistory();
    m_frameSet = fs;
    m_built = true;
    SyncCursorFromDocument();
    RelayOut();
    InvalidateCurves();
    CursorChanged();
    UpdateZoomRange();
    update();
}

void CDataLogView::Refill() {
    if (!m_built) {
        CreateChart();
        return;
    }
    WaitCursor wait;
    m_model.Build(m_doc.Config(), m_doc.GetCurrentView(), m_doc.Main(), ComparisonLog());
    const bool zoomed = m_zoom.IsZoomed();
    const TimeWindow window = m_zoom.Window();
    m_zoom.SetFullWindow(SpanOf(m_doc.Main(), ComparisonLog()));
    if (zoomed) m_zoom.PanFrom(window, 0);
    m_frameSet = CurrentFrameSet();
    if (m_cursorItem >= 0 && m_cursorOnComparison && !m_model.HasComparison())
        m_cursorOnComparison = false;
    RelayOut();
    InvalidateCurves();
    CursorChanged();
    update();
}

void CDataLogView::RebuildLabels() {
    if (!m_built) return;
    if (!m_model.UpdateLabels(m_doc.Config(), m_doc.GetCurrentView(), m_doc.Main())) {
        Refill();
        return;
    }
    RelayOut();
    // Curves hidden until now were never reduced; the reduction is cheap next to the drawing.
    InvalidateCurves();
    CursorChanged();
    update();
}

void CDataLogView::RelayOut() {
    m_layout.Compute(QSizeF(size()), m_model, FontMetrics());
    m_cacheValid = false;
}

ChartLayout::Metrics CDataLogView::FontMetrics() const {
    const QFontMetricsF fm(font());
    ChartLayout::Metrics m;
    // The table's widths are counted in characters of figures and units: the digit width with
    // some room, so that "12.345 sec" fits its 10 characters.
    m.charWidth = std::max(fm.averageCharWidth(), fm.horizontalAdvance(QLatin1Char('0'))) * 1.15;
    m.lineHeight = fm.height();
    return m;
}

void CDataLogView::InvalidateCurves() {
    m_decimatedValid = false;
    m_cacheValid = false;
}

void CDataLogView::SyncCursorFromDocument() {
    int frame = m_doc.GetCursorFrame();
    if (frame >= m_doc.GetDisplayLength()) frame = -1;
    m_cursorFrame = frame;
    const int entry = m_doc.GetCursorEntry();
    const int item = entry >= 0 ? m_model.ItemOfEntry(entry) : -1;
    m_cursorItem = frame < 0 ? -1 : std::max(item, 0);
    m_cursorOnComparison = frame >= 0 && m_doc.IsCursorOnComparison() && m_model.HasComparison();
}

void CDataLogView::CursorChanged() {
    m_table.SetCursor(m_model, m_cursorItem, m_cursorOnComparison, m_cursorFrame, m_doc.Main(),
                      ComparisonLog());
    int entry = -1;
    bool onComparison = m_cursorOnComparison;
    if (m_cursorItem >= 0) {
        const ChartItem& item = m_model.Item(m_cursorItem);
        entry = item.entry;
        // A cursor on a channel that is not shown belongs to no entry.
        if (!item.visible) {
            entry = -1;
            onComparison = false;
        }
    }
    m_doc.SetCursor(m_cursorFrame, entry, onComparison);
    m_doc.UpdateAllViews(this, kHintCursor);
    emit cursorChanged();
    update();
}

void CDataLogView::RefreshCursorTable() {
    if (m_built) CursorChanged();
}

void CDataLogView::UpdateZoomRange() {
    const int n = m_doc.GetFrameCount();
    int first = 0;
    int last = n - 1;
    if (n > 0 && m_zoom.IsZoomed()) {
        const TimeWindow& w = m_zoom.Window();
        first = m_doc.FrameAtTime(static_cast<float>(w.minimum));
        last = m_doc.FrameAtTime(static_cast<float>(w.maximum));
        if (first < 0) first = 0;
        if (last < 0) last = n - 1;
    }
    m_doc.SetZoomRange(first, last);
    emit zoomRangeChanged(first, last);
}

void CDataLogView::ZoomChanged() {
    m_cacheValid = false;
    UpdateZoomRange();
    update();
}

bool CDataLogView::TimeOfFrame(int frame, bool comparison, double& t) const {
    const LogData* log = comparison ? ComparisonLog() : &m_doc.Main();
    if (!log) return false;
    const LogTimes times = LogTimes::Of(*log);
    if (frame < 0 || frame >= times.count) return false;
    t = times.time[frame];
    return true;
}

int CDataLogView::CursorLogLastFrame() const {
    const LogData* log = m_cursorOnComparison ? ComparisonLog() : &m_doc.Main();
    return log ? log->frameCount - 1 : -1;
}

void CDataLogView::ZoomIn() {
    const int n = m_doc.GetFrameCount();
    if (!m_built || n <= 0) return;
    const LogTimes main = LogTimes::Of(m_doc.Main());
    if (main.Empty()) return;
    int frame = m_cursorFrame;
    // Without a cursor, zoom in on the middle of what is shown.
    if (frame < 0) {
        const TimeWindow& w = m_zoom.Window();
        frame = NearestFrame(main, static_cast<float>((w.minimum + w.maximum) / 2));
    }
    // The main log's time array is used whichever log holds the cursor; a cursor behind the
    // main log's end (on a longer comparison) zooms in at the main log's last frame.
    frame = std::clamp(frame, 0, n - 1);
    const int a = std::clamp(m_doc.GetZoomFirst(), 0, n - 1);
    const int b = std::clamp(m_doc.GetZoomLast(), 0, n - 1);
    m_zoom.ZoomIn(main.time[frame], main.time[a], main.time[b]);
    ZoomChanged();
}

void CDataLogView::ZoomOut() {
    const int n = m_doc.GetFrameCount();
    if (!m_built || n <= 0) return;
    const LogTimes main = LogTimes::Of(m_doc.Main());
    if (main.Empty()) return;
    const int a = std::clamp(m_doc.GetZoomFirst(), 0, n - 1);
    const int b = std::clamp(m_doc.GetZoomLast(), 0, n - 1);
    m_zoom.ZoomOut(main.time[a], main.time[b]);
    ZoomChanged();
}

void CDataLogView::ZoomAll() {
    if (!m_built) return;
    m_zoom.ZoomAll();
    ZoomChanged();
}

void CDataLogView::ZoomLast() {
    if (!m_built) return;
    if (m_zoom.ZoomLast()) ZoomChanged();
}

void CDataLogView::ZoomToWindow(double minimum, double maximum) {
    if (!m_built) return;
    m_zoom.ZoomTo({minimum, maximum});
    ZoomChanged();
}

void CDataLogView::ClickPlot(const QPointF& pos) {
    if (m_layout.PanelAt(pos) < 0) return;
    const TimeWindow& w = m_zoom.Window();
    PlotMapping area;
    area.left = m_layout.PlotArea().left();
    area.width = m_layout.PlotArea().width();
    area.window = w;
    const double t = area.TimeAt(pos.x());
    const LogTimes main = LogTimes::Of(m_doc.Main());
    const LogData* c = ComparisonLog();
    const LogTimes comparison = c ? LogTimes::Of(*c) : LogTimes{};
    const int frame = FrameAtClick(main, c ? &comparison : nullptr, t);
    if (frame < 0) return;
    const int subset = NearestSubset(m_model, frame, m_layout.Mappings(m_model, w), pos.y());
    m_model.SplitSubset(subset, m_cursorItem, m_cursorOnComparison);
    m_cursorFrame = frame;
    CursorChanged();
}

void CDataLogView::MoveCursor(int frame) {
    if (!m_built) return;
    if (m_cursorItem < 0) m_cursorItem = 0;
    const int last = CursorLogLastFrame();
    if (last < 0) return;
    m_cursorFrame = std::clamp(frame, 0, last);
    double t = 0;
    if (TimeOfFrame(m_cursorFrame, m_cursorOnComparison, t)) {
        const TimeWindow before = m_zoom.Window();
        if (m_zoom.IsZoomed()) m_zoom.EnsureVisible(t);
        if (!(m_zoom.Window() == before)) ZoomChanged();
    }
    CursorChanged();
}

void CDataLogView::UpdateMouseTime(const QPointF& pos) {
    const bool inside = m_built && m_layout.PanelAt(pos) >= 0;
    PlotMapping area;
    area.left = m_layout.PlotArea().left();
    area.width = m_layout.PlotArea().width();
    area.window = m_zoom.Window();
    const std::string before = m_table.Cell(6);
    m_table.SetMouseTime(inside, inside ? area.TimeAt(pos.x()) : 0.0);
    if (m_table.Cell(6) != before)
        update(m_layout.TableRect().toAlignedRect().adjusted(-2, -2, 2, 2));
}

void CDataLogView::mousePressEvent(QMouseEvent* event) {
    if (!m_built) return;
    const QPointF pos = event->position();
    const ChartLayout::Hit hit = m_layout.HitTest(pos);
    const bool pan =
        event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
        if (hit.part == ChartLayout::Part::Plot) {
            m_drag = Drag::Pan;
            m_pressPos = pos;
            m_panMoved = false;
            m_panStart = m_zoom.Window();
        }
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    m_clickWindow = m_zoom.Window();
    switch (hit.part) {
        case ChartLayout::Part::ZoomButton:
            switch (hit.index) {
                case ChartLayout::kZoomIn:
                    ZoomIn();
                    break;
                case ChartLayout::kZoomOut:
                    ZoomOut();
                    break;
                case ChartLayout::kZoomAll:
                    ZoomAll();
                    break;
                default:
                    ZoomLast();
                    break;
            }
            break;
        case ChartLayout::Part::YAxis:
            emit axisClicked(m_model.Item(hit.index).entry);
            break;
        case ChartLayout::Part::XAxis:
            emit xAxisClicked();
            break;
        case ChartLayout::Part::Plot:
            m_drag = Drag::Press;
            m_pressPos = pos;
            m_dragPos = pos;
            break;
        default:
            break;
    }
}

void CDataLogView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    UpdateMouseTime(pos);
    switch (m_drag) {
        case Drag::Press:
            if ((pos - m_pressPos).manhattanLength() > 4) {
                m_drag = Drag::Box;
                m_dragPos = pos;
                update();
            }
            break;
        case Drag::Box:
            m_dragPos = pos;
            update();
            break;
        case Drag::Pan: {
            const double dx = pos.x() - m_pressPos.x();
            if (dx == 0) break;
            // The window before the drag becomes the previous one, once per drag.
            if (!m_panMoved) m_zoom.ZoomTo(m_panStart);
            m_panMoved = true;
            const double secondsPerPixel =
                m_panStart.Width() / std::max(1.0, m_layout.PlotArea().width());
            m_zoom.PanFrom(m_panStart, -dx * secondsPerPixel);
            m_cacheValid = false;
            update();
            break;
        }
        default: {
            const ChartLayout::Hit hit = m_layout.HitTest(pos);
            const QString tip = hit.part == ChartLayout::Part::ZoomButton
                                    ? QString::fromLatin1(kZoomTips[hit.index])
                                    : QString();
            if (toolTip() != tip) setToolTip(tip);
            break;
        }
    }
}

void CDataLogView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    const Drag drag = m_drag;
    m_drag = Drag::None;
    switch (drag) {
        case Drag::Press:
            if (event->button() == Qt::LeftButton) ClickPlot(pos);
            break;
        case Drag::Box: {
            const QRectF& area = m_layout.PlotArea();
            const double x0 = std::clamp(m_pressPos.x(), area.left(), area.right());
            const double x1 = std::clamp(pos.x(), area.left(), area.right());
            if (std::abs(x1 - x0) >= 3) {
                PlotMapping map;
                map.left = area.left();
                map.width = area.width();
                map.window = m_clickWindow;
                m_zoom.ZoomTo({map.TimeAt(std::min(x0, x1)), map.TimeAt(std::max(x0, x1))});
                ZoomChanged();
            }
            update();
            break;
        }
        case Drag::Pan:
            if (m_panMoved) UpdateZoomRange();
            break;
        default:
            break;
    }
}

void CDataLogView::wheelEvent(QWheelEvent* event) {
    if (!m_built) return;
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const TimeWindow& w = m_zoom.Window();
    const QRectF& area = m_layout.PlotArea();
    PlotMapping map;
    map.left = area.left();
    map.width = area.width();
    map.window = w;
    const double x = event->position().x();
    const double t =
        x >= area.left() && x <= area.right() ? map.TimeAt(x) : (w.minimum + w.maximum) / 2;
    m_zoom.ZoomAround(t, std::pow(0.8, steps));
    ZoomChanged();
    event->accept();
}

void CDataLogView::keyPressEvent(QKeyEvent* event) {
    if (!m_built) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int step = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    int start = m_cursorFrame;
    if (start < 0) {
        // Without a cursor the first step starts at the left edge of the window.
        const LogTimes main = LogTimes::Of(m_doc.Main());
        start = std::max(0, NearestFrame(main, static_cast<float>(m_zoom.Window().minimum)));
    }
    switch (event->key()) {
        case Qt::Key_Left:
            MoveCursor(m_cursorFrame < 0 ? start : start - step);
            break;
        case Qt::Key_Right:
            MoveCursor(m_cursorFrame < 0 ? start : start + step);
            break;
        case Qt::Key_Home:
            MoveCursor(0);
            break;
        case Qt::Key_End:
            if (m_cursorItem < 0) m_cursorItem = 0;
            MoveCursor(CursorLogLastFrame());
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CDataLogView::leaveEvent(QEvent* event) {
    m_table.SetMouseTime(false, 0);
    update(m_layout.TableRect().toAlignedRect().adjusted(-2, -2, 2, 2));
    QWidget::leaveEvent(event);
}

void CDataLogView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* colour = menu.addAction(tr("Background Color..."));
    QAction* gradient = menu.addAction(tr("Gradient Background"));
    gradient->setCheckable(true);
    gradient->setChecked(m_gradient);
    QMenu* border = menu.addMenu(tr("Border"));
    QActionGroup group(&menu);
    const char* const names[] = {"No Border", "Line Border", "Shadow Border", "Inset Border"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = border->addAction(tr(names[i]));
        a->setCheckable(true);
        a->setChecked(m_borderType == i);
        a->setData(i);
        group.addAction(a);
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) return;
    if (chosen == colour) {
        const QColor c = QColorDialog::getColor(m_background, this, tr("Background Color"));
        if (!c.isValid()) return;
        m_background = c;
        m_prefs.SetBGColor(PrefOfColour(c));
    } else if (chosen == gradient) {
        m_gradient = chosen->isChecked();
        m_prefs.SetBitmapGradientMode(m_gradient);
    } else if (chosen->data().isValid()) {
        m_borderType = chosen->data().toInt();
        m_prefs.SetBorderType(m_borderType);
    }
    m_cacheValid = false;
    update();
}

void CDataLogView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RelayOut();
}

void CDataLogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_built) {
        p.fillRect(rect(), m_background);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!m_cacheValid || m_cache.size() != pixels || m_cache.devicePixelRatio() != ratio) {
        if (m_cache.size() != pixels) m_cache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_cache.setDevicePixelRatio(ratio);
        {
            QPainter cp(&m_cache);
            cp.setFont(font());
            PaintStatic(cp, size());
        }
        PaintCurves(m_cache, ratio);
        m_cacheValid = true;
    }
    p.drawImage(0, 0, m_cache);
    PaintOverlay(p);
}

QImage CDataLogView::RenderImage(const QSize& size, qreal pixelRatio) {
    QImage image((QSizeF(size) * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(m_background);
    const ChartLayout saved = m_layout;
    m_layout.Compute(QSizeF(size), m_model, FontMetrics());
    if (m_built) {
        {
            QPainter p(&image);
            p.setFont(font());
            PaintStatic(p, size);
        }
        PaintCurves(image, pixelRatio);
        QPainter p(&image);
        p.setFont(font());
        PaintOverlay(p);
    }
    m_layout = saved;
    return image;
}

void CDataLogView::PaintStatic(QPainter& p, const QSize& size) {
    const QRectF all(QPointF(0, 0), QSizeF(size));
    if (m_gradient) {
        QLinearGradient g(all.topLeft(), all.bottomLeft());
        g.setColorAt(0, m_background.lighter(115));
        g.setColorAt(1, m_background.darker(115));
        p.fillRect(all, g);
    } else {
        p.fillRect(all, m_background);
    }
    switch (m_borderType) {
        case 1:
            p.setPen(QPen(Qt::black, 0));
            p.drawRect(all.adjusted(0, 0, -1, -1));
            break;
        case 2:
            p.setPen(QPen(QColor(96, 96, 96), 0));
            p.drawRect(all.adjusted(0, 0, -3, -3));
            p.fillRect(QRectF(all.right() - 2, 2, 2, all.height() - 2), QColor(128, 128, 128));
            p.fillRect(QRectF(2, all.bottom() - 2, all.width() - 2, 2), QColor(128, 128, 128));
            break;
        case 3:
            p.setPen(QPen(QColor(128, 128, 128), 0));
            p.drawLine(all.topLeft(), all.topRight());
            p.drawLine(all.topLeft(), all.bottomLeft());
            p.setPen(QPen(Qt::white, 0));
            p.drawLine(all.bottomLeft() - QPointF(0, 1), all.bottomRight() - QPointF(0, 1));
            p.drawLine(all.topRight() - QPointF(1, 0), all.bottomRight() - QPointF(1, 0));
            break;
        default:
            break;
    }

    const QFontMetricsF fm(p.font());
    const TimeWindow& w = m_zoom.Window();
    const QRectF& area = m_layout.PlotArea();
    const std::vector<double> xTicks = ChartLayout::NiceTicks(
        w.minimum, w.maximum, std::max(2, static_cast<int>(area.width() / 90)));
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : w.Width();
    PlotMapping xMap;
    xMap.left = area.left();
    xMap.width = area.width();
    xMap.window = w;

    // Panels with their grid: vertical lines at the time ticks, horizontal ones at the ticks of
    // the panel's first labelled axis.
    const QColor grid(220, 220, 220);
    for (int panel = 0; panel < kPanelCount; ++panel) {
        const QRectF& r = m_layout.PanelRect(panel);
        if (r.isEmpty()) continue;
        p.fillRect(r, Qt::white);
        p.setPen(QPen(grid, 0));
        for (double t : xTicks) {
            const double x = xMap.X(t);
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        }
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = m_model.Item(k);
            if (item.panel != panel || !item.axisShown) continue;
            const PlotMapping map = m_layout.MappingOf(item, w);
            for (double v : ChartLayout::NiceTicks(map.valueMin, map.valueMax,
                                                   std::max(2, static_cast<int>(r.height() / 40))))
                p.drawLine(QPointF(r.left(), map.Y(v)), QPointF(r.right(), map.Y(v)));
            break;
        }
        p.setPen(QPen(QColor(128, 128, 128), 0));
        p.drawRect(r);
    }

    // Y axes: a line in the item's colour, tick values, and the channel's name along the strip.
    for (int k = 0; k < ChartModel::kItemCount; ++k) {
        const QRectF& r = m_layout.AxisRect(k);
        if (r.isEmpty()) continue;
        const ChartItem& item = m_model.Item(k);
        const QColor colour = ColourOf(item.rgb);
        const PlotMapping map = m_layout.MappingOf(item, w);
        p.setPen(QPen(colour, 0));
        p.drawLine(QPointF(r.right() - 2, r.top()), QPointF(r.right() - 2, r.bottom()));
        const std::vector<double> ticks = ChartLayout::NiceTicks(
            map.valueMin, map.valueMax, std::max(2, static_cast<int>(r.height() / 40)));
        const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
        p.setPen(Qt::black);
        for (double v : ticks) {
            const double y = map.Y(v);
            p.drawLine(QPointF(r.right() - 5, y), QPointF(r.right() - 2, y));
            // Labels stay inside their own panel's height, clear of the neighbouring panels.
            const double textTop = std::clamp(y - fm.height() / 2, r.top(),
                                              std::max(r.top(), r.bottom() - fm.height()));
            const QRectF textRect(r.left() + fm.height(), textTop, r.width() - fm.height() - 6,
                                  fm.height());
            const QString text = TickText(v, step);
            if (fm.horizontalAdvance(text) <= textRect.width())
                p.drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, text);
        }
        p.save();
        p.setPen(colour);
        p.translate(r.left(), r.center().y());
        p.rotate(-90);
        const QRectF nameRect(-r.height() / 2, 0, r.height(), fm.height());
        p.drawText(nameRect, Qt::AlignCenter,
                   fm.elidedText(FromAnsi(item.name), Qt::ElideRight, nameRect.width()));
        p.restore();
    }

    // X axis.
    const QRectF& xr = m_layout.XAxisRect();
    p.setPen(Qt::black);
    for (double t : xTicks) {
        const double x = xMap.X(t);
        p.drawLine(QPointF(x, xr.top()), QPointF(x, xr.top() + 4));
        p.drawText(QRectF(x - 50, xr.top() + 4, 100, fm.height()), Qt::AlignCenter,
                   TickText(t, xStep));
    }
    p.drawText(QRectF(xr.left(), xr.top() + 6 + fm.height(), xr.width(), fm.height()),
               Qt::AlignCenter, QStringLiteral("Time (seconds)"));
}

void CDataLogView::PaintCurves(QImage& image, qreal pixelRatio) {
    const TimeWindow& w = m_zoom.Window();
    const int columns =
        std::max(1, static_cast<int>(std::ceil(m_layout.PlotArea().width() * pixelRatio)));
    const size_t subsets = static_cast<size_t>(m_model.SubsetCount());
    if (!m_decimatedValid || !(w == m_decimatedWindow) || columns != m_decimatedColumns ||
        m_decimated.size() != subsets) {
        m_decimated.assign(subsets, CurveDecimation{});
        // Column boundaries depend only on a log's times: one split per log serves its curves.
        const LogTimes mainTimes = LogTimes::Of(m_doc.Main());
        const LogData* comparisonLog = ComparisonLog();
        const LogTimes comparisonTimes = comparisonLog ? LogTimes::Of(*comparisonLog) : LogTimes{};
        CurveDecimation::Columns split[2];
        bool splitDone[2] = {false, false};
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = m_model.Item(k);
            if (!item.visible) continue;
            for (bool comparison : {false, true}) {
                if (comparison && !m_model.HasComparison()) break;
                const ChartCurve& c = comparison ? item.comparison : item.main;
                if (c.Empty()) continue;
                const LogTimes& times = comparison ? comparisonTimes : mainTimes;
                CurveDecimation::Columns& cols = split[comparison ? 1 : 0];
                // A curve shorter than its log's time array (a short column) splits on its own.
                const bool shared =
                    times.time == c.x && static_cast<size_t>(times.count) == c.count;
                if (shared && !splitDone[comparison ? 1 : 0]) {
                    cols = CurveDecimation::Split(c.x, c.count, w, columns);
                    splitDone[comparison ? 1 : 0] = true;
                }
                m_decimated[static_cast<size_t>(m_model.SubsetOf(k, comparison))] =
                    shared ? CurveDecimation::Make(cols, c.envelope)
                           : CurveDecimation::Make(c.x, c.y, c.count, c.envelope, w, columns);
            }
        }
        m_decimatedWindow = w;
        m_decimatedColumns = columns;
        m_decimatedValid = true;
    }

    // Reduced curves are written as pixel spans first; the few curves drawn from raw samples
    // go through the painter afterwards, with one-device-pixel cosmetic pens and no
    // antialiasing, which keeps the rasteriser on its fast path at any pixel ratio (wider pens
    // cost a hundred times more).
    for (bool comparison : {true, false}) {
        if (comparison && !m_model.HasComparison()) continue;
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = m_model.Item(k);
            const ChartCurve& c = comparison ? item.comparison : item.main;
            if (!item.visible || c.Empty()) continue;
            const CurveDecimation& d =
                m_decimated[static_cast<size_t>(m_model.SubsetOf(k, comparison))];
            if (d.raw) continue;
            const PlotMapping map = m_layout.MappingOf(item, w);
            const QRect clip(
                QPoint(static_cast<int>(std::lround(map.left * pixelRatio)),
                       static_cast<int>(std::lround(map.top * pixelRatio))),
                QPoint(static_cast<int>(std::lround((map.left + map.width) * pixelRatio)) - 1,
                       static_cast<int>(std::lround((map.top + map.height) * pixelRatio)) - 1));
            d.FillSpans(image, map, pixelRatio, ColourOf(item.rgb).rgba(), clip,
                        comparison ? static_cast<int>(std::lround(8 * pixelRatio)) : 0);
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (bool comparison : {true, false}) {
        if (comparison && !m_model.HasComparison()) continue;
        for (int k = 0; k < ChartModel::kItemCount; ++k) {
            const ChartItem& item = m_model.Item(k);
            const ChartCurve& c = comparison ? item.comparison : item.main;
            if (!item.visible || c.Empty()) continue;
            const CurveDecimation& d =
                m_decimated[static_cast<size_t>(m_model.SubsetOf(k, comparison))];
            if (!d.raw) continue;
            const PlotMapping map = m_layout.MappingOf(item, w);
            p.setClipRect(QRectF(map.left, map.top, map.width, map.height));
            QPen pen(ColourOf(item.rgb), 0);
            if (comparison) pen.setStyle(Qt::DashLine);
            p.setPen(pen);
            m_points.clear();
            m_starts.clear();
            d.AppendPolylines(c.x, c.y, map, pixelRatio, m_points, m_starts);
            for (size_t s = 0; s < m_starts.size(); ++s) {
                const int begin = m_starts[s];
                const int end =
                    s + 1 < m_starts.size() ? m_starts[s + 1] : static_cast<int>(m_points.size());
                if (end - begin == 1)
                    p.drawPoint(m_points[static_cast<size_t>(begin)]);
                else if (end > begin)
                    p.drawPolyline(m_points.data() + begin, end - begin);
            }
        }
    }
}

void CDataLogView::PaintOverlay(QPainter& p) {
    const TimeWindow& w = m_zoom.Window();
    const QRectF& area = m_layout.PlotArea();

    if (m_drag == Drag::Box) {
        const double x0 = std::clamp(m_pressPos.x(), area.left(), area.right());
        const double x1 = std::clamp(m_dragPos.x(), area.left(), area.right());
        const QRectF band(QPointF(std::min(x0, x1), area.top()),
                          QPointF(std::max(x0, x1), area.bottom()));
        p.fillRect(band, QColor(0, 0, 255, 40));
        p.setPen(QPen(QColor(0, 0, 160), 0));
        p.drawRect(band);
    }

    // The cursor: a line at its frame's time and a mark on its curve.
    double t = 0;
    if (m_cursorItem >= 0 && TimeOfFrame(m_cursorFrame, m_cursorOnComparison, t)) {
        const ChartItem& item = m_model.Item(m_cursorItem);
        const PlotMapping map = m_layout.MappingOf(item, w);
        const double x = map.X(t);
        if (x >= area.left() && x <= area.right()) {
            p.setPen(QPen(QColor(64, 64, 64), 0, Qt::DotLine));
            p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            const ChartCurve& c = m_cursorOnComparison ? item.comparison : item.main;
            const float v = c.DrawnAt(m_cursorFrame);
            if (item.visible && CurveEnvelope::IsDrawable(v)) {
                const double y = map.Y(v);
                if (y >= map.top && y <= map.top + map.height) {
                    p.setPen(QPen(Qt::black, 0));
                    p.setBrush(ColourOf(item.rgb));
                    p.drawRect(QRectF(x - 3, y - 3, 6, 6));
                    p.setBrush(Qt::NoBrush);
                }
            }
        }
    }

    // The cursor table.
    const QFontMetricsF fm(p.font());
    const QRectF& table = m_layout.TableRect();
    p.fillRect(table, QColor(255, 255, 255, 230));
    p.setPen(QPen(QColor(160, 160, 160), 0));
    p.drawRect(table);
    p.drawLine(QPointF(table.left(), table.top() + m_layout.TableRowHeight()),
               QPointF(table.right(), table.top() + m_layout.TableRowHeight()));
    for (int c = 0; c < CursorTable::kColumns; ++c) {
        const QRectF head = m_layout.TableCell(0, c).adjusted(3, 0, -3, 0);
        const QRectF cell = m_layout.TableCell(1, c).adjusted(3, 0, -3, 0);
        p.setPen(Qt::black);
        p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(CursorTable::kHeadings[static_cast<size_t>(c)]));
        p.setPen(c == 0 ? QColor(Qt::black) : ColourOf(ChartModel::kTableFigureColour));
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(FromAnsi(m_table.Cell(c)), Qt::ElideRight, cell.width()));
    }

    // The zoom buttons.
    for (int b = 0; b < ChartLayout::kZoomButtonCount; ++b) {
        const QRectF r = m_layout.ZoomButtonRect(b);
        const bool enabled = b != ChartLayout::kZoomLast || m_zoom.HasPrevious();
        p.setPen(QPen(QColor(120, 120, 120), 0));
        p.setBrush(QColor(250, 250, 250));
        p.drawRoundedRect(r, 3, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(enabled ? QColor(Qt::black) : QColor(150, 150, 150));
        p.drawText(r, Qt::AlignCenter, QString::fromLatin1(kZoomCaptions[b]));
    }
}

}  // namespace quillon
