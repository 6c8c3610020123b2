#pragma once
/// "<channel> Axis Setup": how one entry of the current view is drawn in the strip chart, that
/// is its channel's automatic or fixed y range, the entry's smoothing and its panel.

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace quillon {

class CDataLogDoc;
class CNumericEdit;

class CDlgDataLogAxisSetup : public QDialog {
    Q_OBJECT
public:
    /// entry: 0..15 of the document's current view.
    CDlgDataLogAxisSetup(CDataLogDoc& doc, int entry, QWidget* parent = nullptr);

    /// Shows the dialog; after OK the configuration is saved to the current .graph file. The
    /// caller refreshes the views. True on OK.
    static bool Run(CDataLogDoc& doc, int entry, QWidget* owner);

    /// The entry's channel; 0 when the entry holds no valid channel (only panel and smoothing
    /// can then be changed).
    int Channel() const { return m_channel; }
    QCheckBox* AutoscaleBox() const { return m_autoscale; }
    CNumericEdit* MinimumField() const { return m_minimum; }
    CNumericEdit* MaximumField() const { return m_maximum; }
    QComboBox* SmoothingBox() const { return m_smoothing; }
    QComboBox* PanelBox() const { return m_panel; }

    /// Item texts of the smoothing list; the item index is the filter level.
    static const char* const kSmoothingItems[6];

public slots:
    /// Writes the autoscale flag, the range, the panel and the filter level.
    void accept() override;

private:
    void EnableRange();

    CDataLogDoc& m_doc;
    int m_view = 0;
    int m_entry = 0;
    int m_channel = 0;
    QCheckBox* m_autoscale = nullptr;
    CNumericEdit* m_minimum = nullptr;
    CNumericEdit* m_maximum = nullptr;
    QComboBox* m_smoothing = nullptr;
    QComboBox* m_panel = nullptr;
};

}  // namespace quillon
