#pragma once
/// "Align Comparison": finds the time shift that lines the comparison log up with the main log
/// over the chart's visible window by one channel (RPM unless another is chosen), shows it with
/// its correlation, and on Apply shifts the comparison by it as the nudges do.

#include <QDialog>

#include "analysis/Alignment.h"

class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;

namespace quillon {

class CChannelPicker;
class CDataLogDoc;

class CDlgDataLogAlign : public QDialog {
    Q_OBJECT
public:
    CDlgDataLogAlign(CDataLogDoc& doc, QWidget* parent = nullptr);

    /// The align command: the dialog, then on Apply the comparison's shift. True when shifted.
    static bool Run(CDataLogDoc& doc, QWidget* owner);

    const Alignment& Found() const { return m_found; }
    CChannelPicker* ChannelCombo() const { return m_channel; }
    QDoubleSpinBox* WindowField() const { return m_window; }
    QLabel* ShiftLabel() const { return m_shift; }
    QLabel* CorrelationLabel() const { return m_correlation; }
    QPushButton* ApplyButton() const;

public slots:
    /// Searches again with the chosen channel and window.
    void Search();

private:
    CDataLogDoc& m_doc;
    Alignment m_found;
    CChannelPicker* m_channel = nullptr;
    QDoubleSpinBox* m_window = nullptr;
    QLabel* m_range = nullptr;
    QLabel* m_shift = nullptr;
    QLabel* m_correlation = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

}  // namespace quillon
