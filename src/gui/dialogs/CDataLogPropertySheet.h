#pragma once
/// The modeless properties sheet of the main log ("Datalog Properties") or of the comparison log
/// ("Comparison Properties"): seven pages, OK and Cancel. OK writes the pages that were shown
/// into the log's header and marks the main log modified or the comparison edited.

#include <QDialog>
#include <QPointer>

#include "document/DataLogViewObserver.h"

class QDialogButtonBox;
class QTabWidget;

namespace quillon {

class CDataLogDoc;
class CDataLogPropertyPage;
class CPrefs;

class CDataLogPropertySheet : public QDialog, public IDataLogView {
    Q_OBJECT
public:
    static constexpr int kPageCount = 7;

    /// Shows the sheet that slot names, or creates, stores and shows a new one. The slot empties
    /// itself when the sheet is destroyed (it deletes itself when closed).
    static CDataLogPropertySheet* OpenOrRaise(QPointer<CDataLogPropertySheet>& slot,
                                              CDataLogDoc& doc, CPrefs& prefs, bool comparison,
                                              QWidget* parent = nullptr);

    CDataLogPropertySheet(CDataLogDoc& doc, CPrefs& prefs, bool comparison,
                          QWidget* parent = nullptr);
    ~CDataLogPropertySheet() override;

    bool IsComparison() const { return m_comparison; }
    QTabWidget* Tabs() const { return m_tabs; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    /// Page 0..6 in tab order.
    CDataLogPropertyPage* Page(int index) const;
    template <class T>
    T* PageOf() const {
        for (int i = 0; i < kPageCount; ++i)
            if (auto* page = qobject_cast<T*>(Page(i))) return page;
        return nullptr;
    }
    void SetActivePage(int index);

    /// Applies the shown pages to the log's header, marks the log changed and closes.
    void accept() override;

    /// Closes without applying when the log it edits is no longer loaded.
    void OnUpdate(IDataLogView* sender, DocumentChange change) override;

private:
    bool LogIsLoaded() const;

    CDataLogDoc& m_doc;
    bool m_comparison;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
};

}  // namespace quillon
