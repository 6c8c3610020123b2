#pragma once
/// The values view in the left pane: the current view's title, the view picker and step
/// buttons, and one row per channel entry with the values at the cursor and the statistics of
/// the main and the comparison log.

#include <array>
#include <cstdint>
#include <optional>

#include <QFont>
#include <QScrollArea>

#include "analysis/DifferenceChannel.h"
#include "gui/chart/ChartTypes.h"
#include "document/DataLogViewObserver.h"

class QComboBox;

namespace quillon {

class CBGImage;
class CButtonViewShift;
class CDataLogDoc;
class CDlgDataLogValue;
class CGDIPButton;
class CGDIPGlowLabel;
class CNudgeSpin;
class CPrefs;
struct LogData;

/// The frames [first, end) of each log that "Update Stats" computes its figures over.
struct StatsRanges {
    int mainFirst = 0;
    int mainEnd = 0;
    int comparisonFirst = 0;
    int comparisonEnd = 0;
};
/// With the chart zoomed to `visible` (seconds), each log's range runs from its frame nearest to
/// the window's left edge to its frame nearest to the right edge, both included, each found with
/// that log's own times; it is empty when the window lies wholly outside the log. Not zoomed, each
/// log's whole length. A comparison that is not loaded gets an empty range.
StatsRanges UpdateStatsRanges(const CDataLogDoc& doc, const std::optional<TimeWindow>& visible);

class CDataLogValues : public QScrollArea, public IDataLogView {
    Q_OBJECT
public:
    static constexpr int kRowCount = 16;
    static constexpr int kEditViewsData = 99;
    static constexpr int kRowsTop = 88;
    static constexpr int kRowsLeft = 3;
    static constexpr int kRowGap = 3;

    CDataLogValues(CDataLogDoc& doc, CPrefs& prefs, QWidget* parent = nullptr);
    ~CDataLogValues() override;

    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    /// Binds every row to the current view, fills the title and the view picker, lays out.
    void RebuildRows();
    /// The values at the cursor for every shown row.
    void RefreshValues();
    /// Each row's line for the second cursor (hidden without one).
    void RefreshCursorB();
    /// The figures of each shown difference (main minus comparison) over the chart's visible
    /// window (the document's zoom range), then the rows' difference lines.
    void RefreshDifferenceStats();
    /// Each row's difference line: the difference at the cursor and its figures (hidden when
    /// the row's difference is not shown or no comparison is loaded).
    void RefreshDifferences();
    /// The statistics of both logs over the time from the cursor to the second cursor, both
    /// ends included, computed as "Update Stats" computes them; nothing without both cursors.
    void StatsBetweenCursors();
    /// "<" (-1) and ">" (+1).
    void StepView(int direction);
    /// What the Channel Axis Setup dialog's OK does for a row: save, ShownDataChanged, axis fields
    /// again.
    void AfterAxisSetup(int row);
    /// The comparison nudge spin moved by d positions.
    void Nudge(int delta);

    CDlgDataLogValue* Row(int k) const { return m_rows[size_t(k)]; }
    QComboBox* ViewCombo() const { return m_combo; }
    CGDIPGlowLabel* TitleLabel() const { return m_title; }
    CGDIPGlowLabel* StartTimeLabel() const { return m_startTime; }
    CGDIPGlowLabel* Heading(int column) const { return m_headings[size_t(column)]; }
    /// The line above the headings that says which times the statistics of the main log
    /// (false) or of the comparison (true) cover.
    CGDIPGlowLabel* StatsRangeLabel(bool comparison) const {
        return m_statsRange[comparison ? 1 : 0];
    }
    /// The width every row is given: the pane's, at least CDlgDataLogValue::kRowWidth.
    int RowWidth() const;
    CButtonViewShift* PreviousButton() const { return m_previous; }
    CButtonViewShift* NextButton() const { return m_next; }
    CGDIPButton* EditButton() const { return m_edit; }
    QWidget* Content() const { return m_content; }
    CNudgeSpin* NudgeSpin() const { return m_nudge; }
    QSize sizeHint() const override;

protected:
    bool viewportEvent(QEvent* event) override;

public slots:
    /// "Update Stats": the statistics of both logs over the chart's visible window (none when the
    /// chart is not zoomed: the whole logs), then LogChanged.
    void OnUpdateStats(const std::optional<TimeWindow>& visible);

signals:
    /// "Ed", a double click on the title or "Edit Views" in the picker: the graph setup dialog.
    void editViewsRequested();
    /// A row's name was clicked: the Channel Axis Setup dialog for that entry.
    void axisSetupRequested(int entry);

private:
    void OnComboActivated(int index);
    void LayoutRows();
    void LayoutStatColumns();
    void FillCombo();
    void FillStartTime();
    void FillStatsRanges();
    /// The statistics' figures that the logs' times give, after the times moved.
    void RetimeStatistics();
    /// A row's "Difference" check changed: its line, and the chart's curves.
    void OnDifferenceToggled(int row);
    /// Whether row k shows a difference: its channel's choice, with a comparison loaded.
    bool ShowsDifference(int k) const;

    CDataLogDoc& m_doc;
    CPrefs& m_prefs;
    QWidget* m_content;
    CBGImage* m_background;
    CGDIPGlowLabel* m_title;
    CGDIPGlowLabel* m_startTime;
    std::array<CGDIPGlowLabel*, 2> m_statsRange{};
    std::array<CGDIPGlowLabel*, 8> m_headings{};
    CButtonViewShift* m_previous;
    CButtonViewShift* m_next;
    CGDIPButton* m_edit;
    QComboBox* m_combo;
    CNudgeSpin* m_nudge;
    QFont m_headingFont;
    std::array<CDlgDataLogValue*, kRowCount> m_rows{};
    /// Each row's difference figures over the visible window, as shown.
    std::array<QString, kRowCount> m_differenceStats;
};

}  // namespace quillon
