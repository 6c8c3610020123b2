#pragma once
/// One row of the values view, bound to one entry of the current view: the channel's name, its
/// value and status at the cursor for both logs, its statistics, and the check boxes and axis
/// fields that edit the entry and the channel's axis setting.

#include <array>
#include <cstdint>

#include <QColor>
#include <QString>
#include <QWidget>

namespace quillon {

class CDataLogDoc;
class CGDIPCheckbox;
class CGDIPDataMonitorValue;
class CGDIPGlowLabel;
class CNumericEdit;
class IDataLogView;
struct GraphViewEntry;

class CDlgDataLogValue : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStatColumns = 8;
    /// The column of the standard deviation among min, max, average, deviation, start, end ...
    static constexpr int kDeviationColumn = 3;
    /// The narrowest row: wide enough for eight figures such as "-1999.990" side by side (a
    /// 2,000-second log's times with its zero inside) in the smallest statistics font. Rows are
    /// as wide as the values view's pane allows.
    static constexpr int kRowWidth = 360;
    static constexpr int kStatLeft = 4;
    /// The gap at the right of each statistics column.
    static constexpr int kStatGap = 4;
    /// The narrowest and the widest an axis field is made for its numbers.
    static constexpr int kAxisFieldWidth = 51;
    static constexpr int kAxisFieldMaxWidth = 90;
    using StatWidths = std::array<int, kStatColumns>;
    /// Style of the axis fields: none of the spin, popup, bar or full-notification bits.
    static constexpr int kAxisFieldStyle = 16;

    /// sender is the view on whose behalf the row's changes are announced.
    CDlgDataLogValue(CDataLogDoc& doc, IDataLogView* sender, int rowIndex, QWidget* parent);

    /// Binds the row to entry rowIndex of the current view and fills every control from it.
    void SetChannel(const QString& displayName, bool available);
    /// The value texts and statuses at the cursor (comparison empty and 0 without one).
    void SetValues(const QString& mainText, uint32_t mainStatus, const QString& comparisonText,
                   uint32_t comparisonStatus);
    /// The line under the statistics with each log's value at the second cursor and its
    /// difference from the value at the cursor; both texts empty (no second cursor) hide the line
    /// and give the row its usual height. True when the row's height changed.
    bool SetCursorBTexts(const QString& mainText, const QString& comparisonText);
    /// The line below the statistics (and cursor B's line) with the difference at the cursor and
    /// its figures over the visible window; an empty text hides the line. True when the row's
    /// height changed.
    bool SetDifferenceText(const QString& text);
    /// Follows the document's difference choice for the channel, and enables the check box only
    /// with a comparison log.
    void RefreshDifferenceCheck();
    void SetShown(bool shown) { m_shown = shown; }
    /// Widens (or narrows, down to kRowWidth) the row and lays its controls out again.
    void SetRowWidth(int width);
    /// The width the eight statistics columns share.
    int StatRoom() const { return m_fullSize.width() - kStatLeft - 4; }
    /// Places the statistics columns (each label is its column's width less the gap) and sets
    /// their font; the values view gives every row the same columns as its headings.
    void SetStatColumns(const QFont& font, const StatWidths& widths);
    /// Shows or hides the axis fields for the entry's graph flag and the autoscale flag, with
    /// the channel's axis range; what the row does after the Channel Axis Setup dialog.
    void RefreshAxisFields();

    int RowIndex() const { return m_rowIndex; }
    bool IsShown() const { return m_shown; }
    bool IsAvailable() const { return m_available; }
    bool IsCollapsed() const { return m_collapsed; }
    int Channel() const { return m_channel; }
    QSize FullSize() const { return m_fullSize; }
    QSize CollapsedSize() const { return m_collapsedSize; }
    /// The outline: the curve colour 2 pixels wide when graphed, else white 1 pixel wide.
    QColor OutlineColor() const;
    int OutlineWidth() const;
    /// The curve colour: the chart colour of the first item showing this channel.
    QColor CurveColor() const;

    CGDIPGlowLabel* NameLabel() const { return m_name; }
    CGDIPCheckbox* GraphCheck() const { return m_graph; }
    CGDIPCheckbox* AxisCheck() const { return m_axis; }
    CGDIPCheckbox* DifferenceCheck() const { return m_difference; }
    CGDIPGlowLabel* DifferenceLabel() const { return m_differenceLine; }
    CGDIPCheckbox* AutoscaleCheck() const { return m_autoscale; }
    CNumericEdit* MinField() const { return m_min; }
    CNumericEdit* MaxField() const { return m_max; }
    CGDIPDataMonitorValue* MainValue() const { return m_mainValue; }
    CGDIPDataMonitorValue* ComparisonValue() const { return m_comparisonValue; }
    CGDIPGlowLabel* CursorBLabel(bool comparison) const { return m_cursorB[comparison ? 1 : 0]; }
    CGDIPGlowLabel* StatLabel(bool comparison, int column) const {
        return (comparison ? m_comparisonStats : m_mainStats)[size_t(column)];
    }

signals:
    /// The name label was clicked: the Channel Axis Setup dialog for this row's entry.
    void axisSetupRequested(int rowIndex);
    /// "Difference" was ticked or cleared (the document already holds the choice).
    void differenceToggled(int rowIndex);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    GraphViewEntry* Entry() const;
    /// Places the controls of the name and value lines for the row's width; the axis fields as
    /// wide as their numbers need, within their limits.
    void LayoutControls();
    bool ValidChannel() const;
    void FillStatistics();
    void Changed();
    void OnGraphClicked();
    void OnAxisClicked();
    void OnDifferenceClicked();
    /// The row's height for the lines shown below the statistics; true when it changed.
    bool FitHeight();
    void OnAutoscaleClicked();
    void OnFieldChanged(int id, double value);

    CDataLogDoc& m_doc;
    IDataLogView* m_sender;
    int m_rowIndex;
    bool m_shown = false;
    bool m_available = false;
    int m_channel = 0;
    bool m_collapsed = false;
    QSize m_fullSize;
    QSize m_collapsedSize;

    CGDIPGlowLabel* m_name;
    CGDIPCheckbox* m_graph;
    CGDIPCheckbox* m_axis;
    CGDIPCheckbox* m_difference;
    CGDIPGlowLabel* m_differenceLine;
    CGDIPDataMonitorValue* m_mainValue;
    CGDIPDataMonitorValue* m_comparisonValue;
    CGDIPCheckbox* m_autoscale;
    CNumericEdit* m_min;
    CNumericEdit* m_max;
    std::array<CGDIPGlowLabel*, kStatColumns> m_mainStats{};
    std::array<CGDIPGlowLabel*, kStatColumns> m_comparisonStats{};
    std::array<CGDIPGlowLabel*, 2> m_cursorB{};
};

}  // namespace quillon
