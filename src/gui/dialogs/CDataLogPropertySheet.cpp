#include "gui/dialogs/CDataLogPropertySheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "document/CDataLogDoc.h"
#include "gui/dialogs/CDataLogPropertyPageAmbient.h"
#include "gui/dialogs/CDataLogPropertyPageChassis.h"
#include "gui/dialogs/CDataLogPropertyPageDragRace.h"
#include "gui/dialogs/CDataLogPropertyPageDyno.h"
#include "gui/dialogs/CDataLogPropertyPageGeneral.h"
#include "gui/dialogs/CDataLogPropertyPageMisc.h"

namespace quillon {

CDataLogPropertySheet* CDataLogPropertySheet::OpenOrRaise(QPointer<CDataLogPropertySheet>& slot,
                                                          CDataLogDoc& doc, CPrefs& prefs,
                                                          bool comparison, QWidget* parent) {
    // A sheet that has been closed waits hidden for its deletion; it no longer counts.
    if (slot && !slot->isHidden()) {
        slot->showNormal();
        slot->raise();
        slot->activateWindow();
        return slot;
    }
    slot = new CDataLogPropertySheet(doc, prefs, comparison, parent);
    slot->show();
    return slot;
}

CDataLogPropertySheet::CDataLogPropertySheet(CDataLogDoc& doc, CPrefs& prefs, bool comparison,
                                             QWidget* parent)
    : QDialog(parent),
      m_doc(doc),
      m_comparison(comparison),
      m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(comparison ? QStringLiteral("Comparison Properties")
                              : QStringLiteral("Datalog Properties"));
    CDataLogPropertyPage* pages[kPageCount] = {
        new CDataLogPropertyPageGeneral(doc, comparison),
        new CDataLogPropertyPageDragRace(doc, comparison),
        new CDataLogPropertyPageAmbient(doc, comparison),
        new CDataLogPropertyPageChassis(doc, prefs, comparison),
        new CDataLogPropertyPageMisc(doc, prefs, comparison, 1),
        new CDataLogPropertyPageMisc(doc, prefs, comparison, 2),
        new CDataLogPropertyPageDyno(doc, comparison),
    };
    for (CDataLogPropertyPage* page : pages)
        m_tabs->addTab(page, page->Title());
    // Every tab stays in view: the sheet is as wide as its seven tabs.
    m_tabs->setUsesScrollButtons(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CDataLogPropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CDataLogPropertySheet::reject);
    m_doc.AddView(this);
}

CDataLogPropertySheet::~CDataLogPropertySheet() {
    m_doc.RemoveView(this);
}

CDataLogPropertyPage* CDataLogPropertySheet::Page(int index) const {
    return qobject_cast<CDataLogPropertyPage*>(m_tabs->widget(index));
}

void CDataLogPropertySheet::SetActivePage(int index) {
    if (index >= 0 && index < kPageCount) m_tabs->setCurrentIndex(index);
}

bool CDataLogPropertySheet::LogIsLoaded() const {
    return m_comparison ? m_doc.IsComparisonLoaded() : m_doc.HasLog();
}

void CDataLogPropertySheet::accept() {
    if (LogIsLoaded()) {
        LogData& log = m_comparison ? m_doc.Comparison() : m_doc.Main();
        // The pages write into a copy, which replaces the header at once.
        DataLogHeader header = log.header;
        for (int i = 0; i < kPageCount; ++i)
            if (Page(i)->IsLoaded()) Page(i)->OnOK(header);
        m_doc.ApplyHeader(m_comparison, header);
    }
    QDialog::accept();
}

void CDataLogPropertySheet::OnUpdate(IDataLogView*, DocumentChange change) {
    if (change == DocumentChange::LogChanged && !LogIsLoaded() && !isHidden()) close();
}

}  // namespace quillon
