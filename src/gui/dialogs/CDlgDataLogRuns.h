#pragma once
/// The "Find Runs" window: the runs of the main log between a start and an end condition (as
/// auto zero words them) lasting at least a minimum time, listed with their start, duration and
/// the largest value of a chosen channel in a table that sorts by any column, and below them the
/// runs of the comparison log by the same conditions. A double click zooms the chart to a run;
/// two runs of the main log selected line up as main and comparison, and so do a run of each
/// log. Modeless, at most one per document.

#include <functional>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "analysis/RunFinder.h"
#include "document/DataLogViewObserver.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace quillon {

class CChannelPicker;
class CDataLogDoc;
class IPrompt;

class CDlgDataLogRuns : public QDialog, public IDataLogView {
    Q_OBJECT
public:
    /// A window of its own that stays above `parent` (the main window), which owns it.
    CDlgDataLogRuns(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent = nullptr);
    ~CDlgDataLogRuns() override;

    /// Brings the document's window (kept in `window`) to the front, or creates and shows a new
    /// one. `window` empties itself when the window goes.
    static CDlgDataLogRuns* OpenOrRaise(QPointer<CDlgDataLogRuns>& window, CDataLogDoc& doc,
                                        IPrompt& prompt, QWidget* parent = nullptr);
    /// Destroys the window at once, if there is one (the document opens, renews or closes).
    static void Destroy(QPointer<CDlgDataLogRuns>& window);

    /// A log that was opened, cropped or re-timed is searched again.
    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    /// Shows the time range of a run on the chart (set by the main window).
    std::function<void(double from, double to)> zoomToRun;
    /// Loads a log file as the comparison log, telling the user of a failure; the document's
    /// own loading when not set.
    std::function<bool(const std::string& path)> loadComparison;
    /// Asks for a log file and loads it as the comparison (the main window's Compare command);
    /// without it, the prompt's open dialog and then loadComparison.
    std::function<void()> chooseComparison;

    const std::vector<Run>& Runs() const { return m_runs; }
    const std::vector<Run>& ComparisonRuns() const { return m_comparisonRuns; }
    /// The run a table row shows (rows follow the sorting).
    int RunOfRow(int row) const;
    int ComparisonRunOfRow(int row) const;

    CChannelPicker* StartCombo() const { return m_start.combo; }
    QComboBox* StartIs() const { return m_start.is; }
    QDoubleSpinBox* StartValue() const { return m_start.value; }
    CChannelPicker* EndCombo() const { return m_end.combo; }
    QComboBox* EndIs() const { return m_end.is; }
    QDoubleSpinBox* EndValue() const { return m_end.value; }
    QDoubleSpinBox* MinDuration() const { return m_minDuration; }
    CChannelPicker* MaxCombo() const { return m_maxCombo; }
    QTableWidget* Table() const { return m_table; }
    QLabel* Status() const { return m_status; }
    QPushButton* ComparisonButton() const { return m_useAsComparison; }
    QTableWidget* ComparisonTable() const { return m_comparisonTable; }
    QLabel* ComparisonTitle() const { return m_comparisonTitle; }
    QPushButton* LoadAnotherButton() const { return m_loadAnother; }
    QPushButton* LineUpButton() const { return m_lineUp; }

public slots:
    void reject() override;
    /// Zooms the chart to the run of a table row.
    void ZoomToRow(int row);
    /// Loads the log again as the comparison and shifts it so that the run of the current row
    /// starts where the other selected run starts.
    void UseAsComparison();
    /// Shifts the comparison so that its selected run starts where the selected run of the main
    /// log starts.
    void LineUpRuns();
    /// Asks for another log to load as the comparison.
    void LoadAnotherLog();

private:
    struct ConditionFields {
        CChannelPicker* combo = nullptr;
        QComboBox* is = nullptr;
        QDoubleSpinBox* value = nullptr;
    };
    RunCondition ConditionOf(const ConditionFields& fields) const;
    void Find();
    void ShowRuns(QTableWidget* table, const std::vector<Run>& runs, const LogData& log);
    void ShowComparisonTitle();
    /// The comparison's runs on its time axis after a shift.
    void UpdateComparisonTimes();
    void UpdateButtons();
    bool LoadComparisonFile(const std::string& path);
    /// Shows the lined-up runs, the main one's start at the left.
    void ZoomToLinedUp(const Run& fixed, const Run& moved) const;

    CDataLogDoc& m_doc;
    IPrompt& m_prompt;
    std::vector<Run> m_runs;
    std::vector<Run> m_comparisonRuns;
    bool m_settingUp = true;

    ConditionFields m_start;
    ConditionFields m_end;
    QDoubleSpinBox* m_minDuration = nullptr;
    CChannelPicker* m_maxCombo = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_useAsComparison = nullptr;
    QLabel* m_mainTitle = nullptr;
    QLabel* m_comparisonTitle = nullptr;
    QTableWidget* m_comparisonTable = nullptr;
    QPushButton* m_loadAnother = nullptr;
    QPushButton* m_lineUp = nullptr;
};

}  // namespace quillon
