#pragma once
/// "X Axis (RTC) Setup": asks for a time window for the strip chart. It starts from the stored
/// axis range of channel 1 and stores nothing; the chart shows the chosen window.

#include <QDialog>

namespace quillon {

class CDataLogDoc;
class CNumericEdit;

class CDlgDataLogXAxisSetup : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDataLogXAxisSetup(CDataLogDoc& doc, QWidget* parent = nullptr);

    /// The chosen window in seconds (valid after OK).
    float Minimum() const { return m_min; }
    float Maximum() const { return m_max; }
    CNumericEdit* MinimumField() const { return m_minimum; }
    CNumericEdit* MaximumField() const { return m_maximum; }

public slots:
    void accept() override;

private:
    float m_min = 0;
    float m_max = 0;
    CNumericEdit* m_minimum = nullptr;
    CNumericEdit* m_maximum = nullptr;
};

}  // namespace quillon
