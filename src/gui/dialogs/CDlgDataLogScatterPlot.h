#pragma once
/// The "Scatter Plot" window: one channel of the main log against another, every point coloured
/// by a third channel, frames outside a range of a fourth channel optionally left out. Modeless,
/// at most one per document; a click on a point moves the document's cursor to its frame.

#include <optional>

#include <QDialog>
#include <QPointer>

#include "analysis/FrameSelection.h"
#include "gui/chart/ChartPicture.h"
#include "gui/chart/ScatterPlotData.h"
#include "document/DataLogViewObserver.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace quillon {

class CChannelPicker;
class CDataLogDoc;
class CGDIPColorLegend;
class CNumericEdit;
class IPrompt;
class ScatterPlotView;

class CDlgDataLogScatterPlot : public QDialog, public IDataLogView {
    Q_OBJECT
public:
    /// Height of the control band above the plot.
    static constexpr int kBandHeight = 55;

    /// Sets the window up for the document: channel lists, bound fields, the first plot.
    /// A window of its own that stays above `parent` (the main window), which owns it.
    CDlgDataLogScatterPlot(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent = nullptr);
    ~CDlgDataLogScatterPlot() override;

    /// The Scatter Plot command: brings the document's window (kept in `window`) to the front,
    /// or creates, sets up and shows a new one. `window` empties itself when the window goes.
    static CDlgDataLogScatterPlot* OpenOrRaise(QPointer<CDlgDataLogScatterPlot>& window,
                                               CDataLogDoc& doc, IPrompt& prompt,
                                               QWidget* parent = nullptr);
    /// Destroys the window at once, if there is one (the document opens, renews or closes).
    static void Destroy(QPointer<CDlgDataLogScatterPlot>& window);

    /// Follows the document's cursor with the ring, and its selection (a cleared one takes the
    /// box away); the points are not rebuilt.
    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    const ScatterSelection& Selection() const { return m_selection; }
    int RebuildCount() const { return m_rebuilds; }
    CChannelPicker* XCombo() const { return m_xCombo; }
    CChannelPicker* YCombo() const { return m_yCombo; }
    CChannelPicker* ColorCombo() const { return m_colorCombo; }
    CChannelPicker* FilterCombo() const { return m_filterCombo; }
    QCheckBox* FilterCheck() const { return m_filterCheck; }
    CNumericEdit* LowerField() const { return m_lower; }
    CNumericEdit* UpperField() const { return m_upper; }
    CGDIPColorLegend* Legend() const { return m_legend; }
    QLabel* MinLabel() const { return m_minLabel; }
    QLabel* MaxLabel() const { return m_maxLabel; }
    ScatterPlotView* Plot() const { return m_plot; }
    QWidget* Band() const { return m_band; }
    QPushButton* PictureButton() const { return m_picture; }

    /// The plot with a strip above it naming the colour channel and its ramp, for Export
    /// Picture.
    PictureSource Picture();

public slots:
    void reject() override;

protected:
    /// Escape clears the frame selection when there is one, else closes the window.
    void keyPressEvent(QKeyEvent* event) override;

signals:
    /// A point was clicked and the document's cursor now stands on its frame.
    void cursorMoved(int frame);

private:
    void SetUpBounds();
    void Rebuild();
    /// A picked channel becomes `*channel` and the plot is rebuilt.
    void Follow(CChannelPicker* picker, int* channel);
    void OnPointClicked(int frame);
    /// Selects the frames whose drawn points lie inside the box, for every window.
    void OnBoxSelected(const ValueBox& box);
    /// The selection's note in the plot, and its box while the axes are the ones it was drawn on.
    void ShowSelection(const std::optional<ValueBox>& box);
    void ShowCursor();
    /// The strip of the picture: colour channel, lowest value, ramp, highest value, and an
    /// active filter.
    void DrawLegend(QPainter& painter, const QRect& whole) const;
    /// "Filter: TPS from 10 to 90" while the filter is on, else empty.
    QString FilterCaption() const;
    int LegendHeight() const;
    void OnExportPicture();

    CDataLogDoc& m_doc;
    IPrompt& m_prompt;
    ScatterSelection m_selection;
    bool m_settingUp = true;
    int m_rebuilds = 0;

    QWidget* m_band = nullptr;
    CChannelPicker* m_xCombo = nullptr;
    CChannelPicker* m_yCombo = nullptr;
    CChannelPicker* m_colorCombo = nullptr;
    CChannelPicker* m_filterCombo = nullptr;
    CGDIPColorLegend* m_legend = nullptr;
    QLabel* m_minLabel = nullptr;
    QLabel* m_maxLabel = nullptr;
    QCheckBox* m_filterCheck = nullptr;
    CNumericEdit* m_lower = nullptr;
    CNumericEdit* m_upper = nullptr;
    QPushButton* m_picture = nullptr;
    ScatterPlotView* m_plot = nullptr;
};

}  // namespace quillon
