#pragma once
/// The two Miscellaneous pages: a description and eight rows of a parameter and its information,
/// with the user's defaults for each page kept in the preferences.

#include "gui/dialogs/CDataLogPropertyPage.h"

namespace quillon {

class CPrefs;

class CDataLogPropertyPageMisc : public CDataLogPropertyPage {
    Q_OBJECT
public:
    static constexpr int kRows = 8;

    /// page: 1 or 2.
    CDataLogPropertyPageMisc(CDataLogDoc& doc, CPrefs& prefs, bool comparison, int page,
                             QWidget* parent = nullptr);

    int PageNumber() const { return m_page; }
    QLineEdit* Description() const { return m_description; }
    QLineEdit* Parameter(int row) const { return m_parameters[row]; }
    QLineEdit* Information(int row) const { return m_information[row]; }

    void SaveDefaults();
    void LoadDefaults();

private:
    /// The page's block in a header: description, parameter row i, information row i.
    TextField DescriptionField() const;
    TextField ParameterField(int row) const;
    TextField InformationField(int row) const;

    CPrefs& m_prefs;
    int m_page;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_parameters[kRows] = {};
    QLineEdit* m_information[kRows] = {};
};

}  // namespace quillon
