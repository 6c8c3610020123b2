#pragma once
/// The strip chart: the channels of the current view against time in up to five stacked
/// panels, with the comparison log overlaid, a clicked cursor, the cursor table and zooming.
/// This class is the document glue; the zoomer, the panner and the cursor keys handle input,
/// and the chart painter draws.

#include <QImage>
#include <QPainter>
#include <QWidget>

#include "gui/chart/ChartHitTest.h"
#include "gui/chart/ChartLayout.h"
#include "gui/chart/ChartModel.h"
#include "gui/chart/ChartPaintParams.h"
#include "gui/chart/ChartPainter.h"
#include "gui/chart/ChartPanner.h"
#include "gui/chart/ChartZoom.h"
#include "gui/chart/ChartZoomer.h"
#include "gui/chart/CursorTable.h"
#include "document/CDataLogDoc.h"
#include "document/DataLogViewObserver.h"

namespace quillon {

class CPrefs;

class CDataLogView : public QWidget, public IDataLogView {
    Q_OBJECT

public:
    CDataLogView(CDataLogDoc& doc, CPrefs& prefs, QWidget* parent = nullptr);
    ~CDataLogView() override;

    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    bool IsZoomed() const { return m_zoom.IsZoomed(); }
    /// The chart exists (a log with frames was shown).
    bool HasChart() const { return m_built; }
    const TimeWindow& VisibleWindow() const { return m_zoom.Window(); }
    const ChartModel& Model() const { return m_model; }
    const ChartLayout& Layout() const { return m_layout; }
    const CursorTable& Table() const { return m_table; }
    /// The cursor: item (-1 none), comparison flag and frame (-1 none).
    int CursorItem() const { return m_cursorItem; }
    bool IsCursorOnComparison() const { return m_cursorOnComparison; }
    int CursorFrame() const { return m_cursorFrame; }

    /// Shows window w as a zoom step (the X axis dialog's range).
    void ZoomToWindow(double minimum, double maximum);
    /// Re-reads the cursor figures (after "Update Stats").
    void RefreshCursorTable();
    /// The whole chart (curves, cursor, table, the caption instead of the zoom buttons) drawn
    /// into an image of this size.
    QImage RenderImage(const QSize& size, qreal pixelRatio = 1.0);
    /// The whole chart laid out for `size` and drawn through p, on any paint device.
    void Render(QPainter& p, const QSizeF& size);
    /// A picture's caption: the log's file name (and the comparison's), then the time range.
    QString PictureCaption() const;
    /// Drops the decimated curves, so that the next drawing reduces every curve anew.
    void InvalidateCurves();

public slots:
    void ZoomIn();
    void ZoomOut();
    void ZoomAll();
    void ZoomLast();

signals:
    /// A y axis was clicked: the view entry (0..15) its item shows (the axis setup asks for it).
    void axisClicked(int entry);
    /// The x axis was clicked (the time axis setup asks for it).
    void xAxisClicked();
    /// The document's zoom range changed (first and last main frame).
    void zoomRangeChanged(int first, int last);
    /// The cursor moved (frame, entry, comparison flag are in the document).
    void cursorChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateChart();
    void Refill();
    void RebuildLabels();
    void RelayOut();
    void BuildModel();
    void SyncCursorFromDocument();
    /// Stores the cursor in the document, notifies the other views and refreshes the table.
    void CursorChanged();
    void UpdateZoomRange();
    void ZoomChanged();
    /// The frame and curve a click at pos picks, on the main or the comparison log.
    CursorPick PickAt(const QPointF& pos) const;
    void ClickPlot(const QPointF& pos);
    void MoveCursor(int frame);
    /// Ctrl+click: the second cursor on the frame a click at pos picks.
    void ClickPlotB(const QPointF& pos);
    /// Stores B (none removes it) in the document and tells the other views.
    void SetCursorB(std::optional<CDataLogDoc::CursorMark> b);
    /// Escape clears the frame selection, or without one removes B; Ctrl+Left/Right move B;
    /// false for any other key, or when there is nothing to clear or move.
    bool CursorBKey(QKeyEvent* event);
    void UpdateMouseTime(const QPointF& pos);
    void UpdateToolTip(const QPointF& pos);

    const LogData* ComparisonLog() const;
    /// The time of a frame on the main or the comparison log, or false outside it.
    bool TimeOfFrame(int frame, bool comparison, double& t) const;
    int CursorLogLastFrame() const;
    /// What the painter needs for a picture laid out by `layout` at `size`.
    ChartPaintParams PaintParams(const ChartLayout& layout, const QSizeF& size) const;

    CDataLogDoc& m_doc;
    CPrefs& m_prefs;
    ChartModel m_model;
    ChartLayout m_layout;
    ChartZoom m_zoom;
    CursorTable m_table;
    ChartPainter m_painter;
    ChartZoomer m_zoomer;
    ChartPanner m_panner;
    bool m_built = false;

    // Settings read from the preferences when the chart is created.
    QColor m_background;
    bool m_gradient = false;
    int m_borderType = 2;

    int m_cursorItem = -1;
    bool m_cursorOnComparison = false;
    int m_cursorFrame = -1;

    // Identity of the frame set the chart was built for: a rebuild over the same frames keeps
    // the zoom window.
    struct FrameSet {
        int mainCount = -1;
        double mainFirst = 0, mainLast = 0;
        int comparisonCount = -1;
        double comparisonFirst = 0, comparisonLast = 0;
        bool operator==(const FrameSet&) const = default;
    };
    FrameSet CurrentFrameSet() const;
    FrameSet m_frameSet;

    // The back and middle layers of the screen, drawn again only when they change; the fore
    // layer is painted over them on every paint.
    QImage m_cache;
    bool m_cacheValid = false;
};

}  // namespace quillon
