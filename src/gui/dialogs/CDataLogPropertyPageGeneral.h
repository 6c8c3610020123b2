#pragma once
/// The General page: what the log is (file, start, length, version, date, firmware, ECU, global
/// file), read-only, and its editable notes.

#include "gui/dialogs/CDataLogPropertyPage.h"

namespace quillon {

class CElidedLabel;
class CNotesEdit;

class CDataLogPropertyPageGeneral : public CDataLogPropertyPage {
    Q_OBJECT
public:
    static constexpr int kNotesLimit = 511;

    CDataLogPropertyPageGeneral(CDataLogDoc& doc, bool comparison, QWidget* parent = nullptr);

    void OnOK(DataLogHeader& header) override;

    /// The read-only lines in their order on the page.
    QStringList Lines() const;
    CNotesEdit* Notes() const { return m_notes; }

protected:
    void OnInitDialog() override;

private:
    std::vector<CElidedLabel*> m_lines;
    CNotesEdit* m_notes;
    QString m_loadedNotes;
};

}  // namespace quillon
