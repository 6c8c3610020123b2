#pragma once
/// The "Histogram and Table" window: one channel of the main log binned by one or two others
/// into a grid (X across, Y down), each cell shaded by its value, with the frames behind it on
/// hover; the grid goes to the clipboard as tab-separated text or to a CSV file. Modeless, at
/// most one per document.

#include <QDialog>
#include <QPointer>

#include "gui/chart/ChartPicture.h"
#include "analysis/ChannelTable.h"
#include "document/DataLogViewObserver.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quillon {

class CChannelPicker;
class CDataLogDoc;
class IPrompt;

class CDlgDataLogHistogram : public QDialog, public IDataLogView {
    Q_OBJECT
public:
    /// A window of its own that stays above `parent` (the main window), which owns it.
    CDlgDataLogHistogram(CDataLogDoc& doc, IPrompt& prompt, QWidget* parent = nullptr);
    ~CDlgDataLogHistogram() override;

    /// Brings the document's window (kept in `window`) to the front, or creates and shows a new
    /// one. `window` empties itself when the window goes.
    static CDlgDataLogHistogram* OpenOrRaise(QPointer<CDlgDataLogHistogram>& window,
                                             CDataLogDoc& doc, IPrompt& prompt,
                                             QWidget* parent = nullptr);
    /// Destroys the window at once, if there is one (the document opens, renews or closes).
    static void Destroy(QPointer<CDlgDataLogHistogram>& window);

    /// A log that was cropped, re-timed or recomputed is binned again, and so is the table kept
    /// to the selected frames when the selection changes.
    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

    const ChannelTable& Table() const { return m_table; }
    /// The grid as the clipboard gets it, and the CSV file's text: lines naming the value
    /// channel, the function, the axes and the filter, then the grid.
    QString ClipboardText() const;
    std::string CsvText() const;
    /// Writes the CSV file; false after telling the user why.
    bool ExportCsv(const std::string& path);

    CChannelPicker* XCombo() const { return m_axis[0].combo; }
    CChannelPicker* YCombo() const { return m_axis[1].combo; }
    CChannelPicker* ZCombo() const { return m_zCombo; }
    QComboBox* FunctionCombo() const { return m_functionCombo; }
    CChannelPicker* FilterCombo() const { return m_filterCombo; }
    QCheckBox* FilterCheck() const { return m_filterCheck; }
    /// "Selected frames only": the frames selected in the scatter plot (disabled without any).
    QCheckBox* SelectedCheck() const { return m_selectedCheck; }
    QDoubleSpinBox* LowerField() const { return m_lower; }
    QDoubleSpinBox* UpperField() const { return m_upper; }
    QLineEdit* XEdges() const { return m_axis[0].edges; }
    QLineEdit* YEdges() const { return m_axis[1].edges; }
    QTableWidget* Grid() const { return m_grid; }
    QLabel* Status() const { return m_status; }
    QPushButton* PictureButton() const { return m_picture; }
    QDoubleSpinBox* XStep() const { return m_axis[0].step; }
    /// The bars of a histogram by X alone (hidden with a Y axis).
    QWidget* BarsWidget() const;

    /// The whole grid (not only the part scrolled into view) under a title, as the screen shades
    /// it, for Export Picture; drawn at its natural size scaled to fit the picture.
    PictureSource Picture();
    /// The size at which the picture's texts have the window's font size.
    QSize PictureNaturalSize() const;

public slots:
    void reject() override;
    void CopyToClipboard();
    void OnExportCsv();
    void OnExportPicture();

private:
    /// One binned axis: its channel and how its edges are given.
    struct Axis {
        CChannelPicker* combo = nullptr;
        QDoubleSpinBox* from = nullptr;
        QDoubleSpinBox* to = nullptr;
        QDoubleSpinBox* step = nullptr;
        QLineEdit* edges = nullptr;  // typed edges win over from/to/step when not empty
    };

    void SetUpRange(Axis& axis);
    /// From, To and Step count only while no edges are typed.
    void EnableRangeFields(Axis& axis);
    /// The heading lines of the CSV and clipboard texts, in single-byte text.
    std::string Heading(char separator) const;
    void SetUpBounds();
    /// The axis's edges, or nothing with *why set when they cannot be made.
    std::optional<std::vector<float>> EdgesOf(const Axis& axis, QString* why) const;
    int Decimals() const;
    void Rebuild();
    void ShowGrid();
    /// The selection check: enabled with a selection, cleared without one.
    void FollowSelection();
    void ShowBars();
    /// The picture's title lines: what is binned by what, and how many frames.
    QStringList PictureTitle() const;

    CDataLogDoc& m_doc;
    IPrompt& m_prompt;
    ChannelTable m_table;
    bool m_settingUp = true;

    Axis m_axis[2];
    CChannelPicker* m_zCombo = nullptr;
    QComboBox* m_functionCombo = nullptr;
    CChannelPicker* m_filterCombo = nullptr;
    QCheckBox* m_filterCheck = nullptr;
    QCheckBox* m_selectedCheck = nullptr;
    QDoubleSpinBox* m_lower = nullptr;
    QDoubleSpinBox* m_upper = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_picture = nullptr;
    QTableWidget* m_grid = nullptr;
    class Bars;
    Bars* m_bars = nullptr;
};

}  // namespace quillon
