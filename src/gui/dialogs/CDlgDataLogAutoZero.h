#pragma once
/// "AutoZero Datalog": the trigger condition of auto zero (a channel, "<" or ">", a trigger
/// point) for the main or the comparison log, remembered in the preferences.

#include <cstdint>

#include <QDialog>

class QComboBox;

namespace quillon {

class CDataLogDoc;
class CNumericEdit;
struct LogData;

class CDlgDataLogAutoZero : public QDialog {
    Q_OBJECT
public:
    CDlgDataLogAutoZero(CDataLogDoc& doc, bool comparison, QWidget* parent = nullptr);

    /// The auto-zero command: the dialog, then on OK the document's auto zero of the main or
    /// the comparison log, which reports a condition that is not found. True when the log was
    /// re-timed.
    static bool Run(CDataLogDoc& doc, bool comparison, QWidget* owner);

    /// The choices (valid after OK).
    int Channel() const { return m_channel; }
    uint32_t Condition() const { return m_condition; }
    float TriggerPoint() const { return m_trigger; }

    QComboBox* WhenBox() const { return m_when; }
    QComboBox* IsBox() const { return m_is; }
    CNumericEdit* TriggerField() const { return m_triggerField; }

public slots:
    /// Takes the three choices and writes them to the preferences.
    void accept() override;

private:
    /// Limits, formats and steps the trigger field for the chosen channel.
    void OnChannelChanged();

    CDataLogDoc& m_doc;
    const LogData& m_log;
    int m_channel = 0;
    uint32_t m_condition = 0;
    float m_trigger = 0;
    QComboBox* m_when = nullptr;
    QComboBox* m_is = nullptr;
    CNumericEdit* m_triggerField = nullptr;
};

}  // namespace quillon
