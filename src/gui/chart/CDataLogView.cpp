#include "gui/chart/CDataLogView.h"

#include <algorithm>
#include <optional>

#include <QActionGroup>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "gui/chart/ChartCursorKeys.h"
#include "gui/chart/ChartHitTest.h"
#include "gui/chart/CursorBMarker.h"
#include "settings/CPrefs.h"
#include "gui/common/AnsiText.h"
#include "gui/common/NumericFormat.h"
#include "gui/common/TextConversion.h"
#include "gui/common/WaitCursor.h"
#include "document/CDataLogDoc.h"

namespace quillon {

namespace {

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

void CDataLogView::OnUpdate(IDataLogView* sender, DocumentChange change) {
    if (sender == this) return;
    switch (change) {
        case DocumentChange::CursorMoved:
            // Another window (the scatter plot) put the cursor on a frame: show it there,
            // without telling the other views again.
            if (m_built) {
                SyncCursorFromDocument();
                m_table.SetCursor(m_model, m_cursorItem, m_cursorOnComparison, m_cursorFrame,
                                  m_doc.Main(), ComparisonLog());
                emit cursorChanged();
                update();
            }
            break;
        case DocumentChange::ShownDataChanged:
            Refill();
            break;
        case DocumentChange::LabelsChanged:
            RebuildLabels();
            break;
        case DocumentChange::LogChanged:
            CreateChart();
            break;
        case DocumentChange::SelectionChanged:
            // The bands lie under the curves, in the cached layers.
            m_cacheValid = false;
            update();
            break;
        case DocumentChange::StatisticsChanged:
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
    BuildModel();
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
    BuildModel();
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
    if (!m_model.UpdateLabels(m_doc.Config(), m_doc.GetCurrentView(), m_doc.EntriesOrderedByPanel(),
                              m_doc.Main(), m_doc.DifferenceChannels())) {
        Refill();
        return;
    }
    RelayOut();
    // Curves hidden until now were never reduced; the reduction is cheap next to the drawing.
    InvalidateCurves();
    CursorChanged();
    update();
}

void CDataLogView::BuildModel() {
    // The curves' columns may have to be read from the file first (a view not shown before).
    const WaitCursor wait;
    m_model.Build(m_doc.Config(), m_doc.GetCurrentView(), m_doc.EntriesOrderedByPanel(),
                  m_doc.Main(), m_doc.IsComparisonLoaded() ? &m_doc.Comparison() : nullptr,
                  m_doc.DifferenceChannels());
}

void CDataLogView::RelayOut() {
    m_layout.Compute(QSizeF(size()), m_model, ChartLayout::Metrics::Of(font()));
    m_cacheValid = false;
}

void CDataLogView::InvalidateCurves() {
    m_painter.Invalidate();
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
    m_doc.UpdateAllViews(this, DocumentChange::CursorMoved);
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

CursorPick CDataLogView::PickAt(const QPointF& pos) const {
    const LogTimes main = LogTimes::Of(m_doc.Main());
    const LogData* c = ComparisonLog();
    const LogTimes comparison = c ? LogTimes::Of(*c) : LogTimes{};
    return PickCursor(m_model, m_layout, m_zoom.Window(), main, c ? &comparison : nullptr, pos);
}

void CDataLogView::ClickPlot(const QPointF& pos) {
    const CursorPick pick = PickAt(pos);
    if (pick.frame < 0) return;
    m_model.SplitSubset(pick.subset, m_cursorItem, m_cursorOnComparison);
    m_cursorFrame = pick.frame;
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

void CDataLogView::ClickPlotB(const QPointF& pos) {
    const CursorPick pick = PickAt(pos);
    if (pick.frame < 0) return;
    int item = 0;
    bool onComparison = false;
    m_model.SplitSubset(pick.subset, item, onComparison);
    SetCursorB(CDataLogDoc::CursorMark{pick.frame, onComparison});
}

void CDataLogView::SetCursorB(std::optional<CDataLogDoc::CursorMark> b) {
    m_doc.SetCursorB(b);
    m_doc.UpdateAllViews(this, DocumentChange::CursorMoved);
    emit cursorChanged();
    update();
}

bool CDataLogView::CursorBKey(QKeyEvent* event) {
    // Escape clears the frame selection first, then removes B.
    if (event->key() == Qt::Key_Escape && m_doc.HasSelection()) {
        m_doc.ClearSelection(this);
        m_cacheValid = false;
        update();
        return true;
    }
    const std::optional<CDataLogDoc::CursorMark> b = m_doc.GetCursorB();
    if (!b) return false;
    if (event->key() == Qt::Key_Escape) {
        SetCursorB(std::nullopt);
        return true;
    }
    if (!(event->modifiers() & Qt::ControlModifier)) return false;
    if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) return false;
    const int step = (event->key() == Qt::Key_Left ? -1 : 1) *
                     ((event->modifiers() & Qt::ShiftModifier) ? 10 : 1);
    const LogData& log = b->onComparison ? m_doc.Comparison() : m_doc.Main();
    CDataLogDoc::CursorMark moved = *b;
    moved.frame = std::clamp(b->frame + step, 0, std::max(log.frameCount - 1, 0));
    double t = 0;
    if (TimeOfFrame(moved.frame, moved.onComparison, t) && m_zoom.IsZoomed()) {
        const TimeWindow before = m_zoom.Window();
        m_zoom.EnsureVisible(t);
        if (!(m_zoom.Window() == before)) ZoomChanged();
    }
    SetCursorB(moved);
    return true;
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

void CDataLogView::UpdateToolTip(const QPointF& pos) {
    const ChartLayout::Hit hit = m_layout.HitTest(pos);
    QString tip;
    if (hit.part == ChartLayout::Part::ZoomButton)
        tip = QString::fromLatin1(kZoomTips[hit.index]);
    else if (hit.part == ChartLayout::Part::YAxis)
        tip = FromAnsi(m_model.AxisItem(hit.index).name);  // the whole name, cut on a narrow axis
    if (toolTip() != tip) setToolTip(tip);
}

void CDataLogView::mousePressEvent(QMouseEvent* event) {
    if (!m_built) return;
    const QPointF pos = event->position();
    const ChartLayout::Hit hit = m_layout.HitTest(pos);
    const bool pan =
        event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
        if (hit.part == ChartLayout::Part::Plot) m_panner.Start(pos, m_zoom.Window());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
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
            // A difference curve's axis scales itself: it has no setup.
            if (hit.index < ChartModel::kItemCount) emit axisClicked(m_model.Item(hit.index).entry);
            break;
        case ChartLayout::Part::XAxis:
            emit xAxisClicked();
            break;
        case ChartLayout::Part::Plot:
            m_zoomer.Press(pos, m_zoom.Window());
            break;
        default:
            break;
    }
}

void CDataLogView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    UpdateMouseTime(pos);
    TimeWindow panned;
    if (m_panner.Active()) {
        if (m_panner.Move(pos, m_layout.PlotArea().width(), panned)) {
            m_zoom.PanFrom(panned, 0);
            m_cacheValid = false;
            update();
        }
    } else if (m_zoomer.Pressed()) {
        if (m_zoomer.Move(pos)) update();
    } else {
        UpdateToolTip(pos);
    }
}

void CDataLogView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (m_panner.Active()) {
        if (m_panner.Finish()) UpdateZoomRange();
        return;
    }
    if (!m_zoomer.Pressed()) return;
    const bool band = m_zoomer.BandShown();
    TimeWindow zoomed;
    switch (m_zoomer.Finish(pos, m_layout.PlotArea(), zoomed)) {
        case ChartZoomer::Release::Click:
            if (event->button() != Qt::LeftButton) break;
            if (event->modifiers() & Qt::ControlModifier)
                ClickPlotB(pos);
            else
                ClickPlot(pos);
            break;
        case ChartZoomer::Release::Zoom:
            m_zoom.ZoomTo(zoomed);
            ZoomChanged();
            break;
        default:
            break;
    }
    if (band) update();
}

void CDataLogView::wheelEvent(QWheelEvent* event) {
    if (!m_built) return;
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    m_zoom.ZoomAround(
        ChartZoomer::WheelCentre(event->position().x(), m_layout.PlotArea(), m_zoom.Window()),
        ChartZoomer::WheelFactor(delta));
    ZoomChanged();
    event->accept();
}

void CDataLogView::keyPressEvent(QKeyEvent* event) {
    if (!m_built) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (CursorBKey(event)) {
        event->accept();
        return;
    }
    int windowStart = 0;
    if (m_cursorFrame < 0) {
        const LogTimes main = LogTimes::Of(m_doc.Main());
        windowStart = std::max(0, NearestFrame(main, static_cast<float>(m_zoom.Window().minimum)));
    }
    // End goes to the end of the cursor's log, the main log's without a cursor.
    const int cursorItem = m_cursorItem;
    if (m_cursorItem < 0) m_cursorItem = 0;
    const std::optional<int> target =
        ChartCursorKeys::Target(event->key(), (event->modifiers() & Qt::ShiftModifier) != 0,
                                m_cursorFrame, windowStart, CursorLogLastFrame());
    if (!target) {
        m_cursorItem = cursorItem;
        QWidget::keyPressEvent(event);
        return;
    }
    MoveCursor(*target);
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

ChartPaintParams CDataLogView::PaintParams(const ChartLayout& layout, const QSizeF& size) const {
    ChartPaintParams pp;
    pp.model = &m_model;
    pp.layout = &layout;
    pp.size = size;
    pp.window = m_zoom.Window();
    pp.font = font();
    pp.background = m_background;
    pp.gradient = m_gradient;
    pp.borderType = m_borderType;
    pp.table = &m_table;
    if (const FrameSelection* selection = m_doc.GetSelection().get()) {
        const LogTimes main = LogTimes::Of(m_doc.Main());
        pp.selection = selection;
        pp.mainTimes = main.time;
        pp.mainCount = main.count;
    }
    if (m_cursorItem >= 0 && TimeOfFrame(m_cursorFrame, m_cursorOnComparison, pp.cursorTime)) {
        pp.cursorItem = m_cursorItem;
        pp.cursorOnComparison = m_cursorOnComparison;
        pp.cursorFrame = m_cursorFrame;
    }
    if (const auto b = m_doc.GetCursorB();
        b && m_built && TimeOfFrame(b->frame, b->onComparison, pp.cursorBTime)) {
        pp.cursorBFrame = b->frame;
        pp.cursorBReadout = CursorBMarker::Readout(
            pp.cursorFrame >= 0 ? std::optional(pp.cursorTime) : std::nullopt, pp.cursorBTime);
    }
    pp.zoomLastEnabled = m_zoom.HasPrevious();
    pp.showBand = m_zoomer.BandShown();
    pp.bandX0 = m_zoomer.BandX0();
    pp.bandX1 = m_zoomer.BandX1();
    return pp;
}

void CDataLogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_built) {
        p.fillRect(rect(), m_background);
        return;
    }
    const ChartPaintParams pp = PaintParams(m_layout, QSizeF(size()));
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!m_cacheValid || m_cache.size() != pixels || m_cache.devicePixelRatio() != ratio) {
        if (m_cache.size() != pixels) m_cache = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_cache.setDevicePixelRatio(ratio);
        m_painter.PaintBackAndCurves(m_cache, pp);
        m_cacheValid = true;
    }
    p.drawImage(0, 0, m_cache);
    m_painter.PaintFore(p, pp);
}

QImage CDataLogView::RenderImage(const QSize& size, qreal pixelRatio) {
    QImage image((QSizeF(size) * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(m_background);
    if (!m_built) return image;
    ChartLayout layout;
    layout.Compute(QSizeF(size), m_model, ChartLayout::Metrics::Of(font()));
    ChartPaintParams pp = PaintParams(layout, QSizeF(size));
    pp.picture = true;
    pp.caption = PictureCaption();
    m_painter.PaintBackAndCurves(image, pp);
    QPainter p(&image);
    m_painter.PaintFore(p, pp);
    return image;
}

void CDataLogView::Render(QPainter& p, const QSizeF& size) {
    if (!m_built) {
        p.fillRect(QRectF(QPointF(0, 0), size), m_background);
        return;
    }
    ChartLayout layout;
    layout.Compute(size, m_model, ChartLayout::Metrics::Of(font()));
    ChartPaintParams pp = PaintParams(layout, size);
    pp.picture = true;
    pp.caption = PictureCaption();
    m_painter.Paint(p, pp);
}

QString CDataLogView::PictureCaption() const {
    auto name = [](const std::string& path) { return QFileInfo(FromCorePath(path)).fileName(); };
    QString logs = name(m_doc.GetPathName());
    if (ComparisonLog() && !m_doc.GetComparisonPathName().empty())
        logs += QStringLiteral(" compared with ") + name(m_doc.GetComparisonPathName());
    const TimeWindow& w = m_zoom.Window();
    auto time = [](double t) { return UnsignedZero(QString::number(t, 'f', 3)); };
    return logs + QStringLiteral("\n") + time(w.minimum) + QStringLiteral(" to ") +
           time(w.maximum) + QStringLiteral(" s");
}

}  // namespace quillon
