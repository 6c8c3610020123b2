#pragma once
/// One page of the log properties sheet: loads its fields from the header of the main or the
/// comparison log when it is first shown, and on OK writes back the fields the user changed.
/// A field left alone keeps its bytes exactly, even where the display shows fewer digits or the
/// stored value lies outside the field's range.

#include <vector>

#include <QString>
#include <QWidget>

#include "format/DataLogHeader.h"

class QLineEdit;

namespace quillon {

class CDataLogDoc;
class CNumericEdit;
struct LogData;

class CDataLogPropertyPage : public QWidget {
    Q_OBJECT
public:
    /// Style of every numeric field on the pages: spin, value bar, every change reported.
    static constexpr int kNumericStyle = 13;

    CDataLogPropertyPage(CDataLogDoc& doc, bool comparison, const QString& title,
                         QWidget* parent = nullptr);

    const QString& Title() const { return m_title; }
    /// Loads the page once; showing the page calls it.
    void EnsureLoaded();
    bool IsLoaded() const { return m_loaded; }
    /// Copies the page into header: text and number fields only where the user changed them.
    virtual void OnOK(DataLogHeader& header);

protected:
    /// Loads every field from the log's header and fills the computed texts.
    virtual void OnInitDialog();
    /// NEN_CHANGED from one of the page's numeric fields.
    virtual void OnNenChanged(int id, double value);

    void showEvent(QShowEvent* event) override;

    const LogData& Log() const;
    const DataLogHeader& Header() const;
    CDataLogDoc& Doc() const { return m_doc; }
    bool IsComparison() const { return m_comparison; }

    /// A single-line text field of the header limited to its size less one byte.
    QLineEdit* AddText(TextField field);
    /// A numeric field of the header with its formats, range and step.
    CNumericEdit* AddNumber(int id, F32Field field, const char* displayFormat,
                            const char* editFormat, double minimum, double maximum, double step);
    CNumericEdit* Number(int id) const;

    /// Loads the bound fields from a header (a stored value is shown as it is).
    void LoadFields(const DataLogHeader& header);

private:
    struct TextBinding {
        QLineEdit* edit;
        TextField field;
        QString loaded;
    };
    struct NumberBinding {
        CNumericEdit* edit;
        F32Field field;
        double loaded;
    };

    CDataLogDoc& m_doc;
    bool m_comparison;
    QString m_title;
    bool m_loaded = false;
    std::vector<TextBinding> m_texts;
    std::vector<NumberBinding> m_numbers;
};

}  // namespace quillon
