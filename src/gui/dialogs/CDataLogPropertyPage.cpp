#include "gui/dialogs/CDataLogPropertyPage.h"

#include <bit>

#include <QLineEdit>

#include "gui/common/AnsiText.h"
#include "gui/common/CNumericEdit.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/CAnsiValidator.h"

namespace quillon {

CDataLogPropertyPage::CDataLogPropertyPage(CDataLogDoc& doc, bool comparison, const QString& title,
                                           QWidget* parent)
    : QWidget(parent), m_doc(doc), m_comparison(comparison), m_title(title) {}

const LogData& CDataLogPropertyPage::Log() const {
    return m_comparison ? m_doc.Comparison() : m_doc.Main();
}

const DataLogHeader& CDataLogPropertyPage::Header() const {
    return Log().header;
}

void CDataLogPropertyPage::showEvent(QShowEvent* event) {
    EnsureLoaded();
    QWidget::showEvent(event);
}

void CDataLogPropertyPage::EnsureLoaded() {
    if (m_loaded) return;
    m_loaded = true;
    OnInitDialog();
}

void CDataLogPropertyPage::OnInitDialog() {
    LoadFields(Header());
}

void CDataLogPropertyPage::OnNenChanged(int, double) {}

QLineEdit* CDataLogPropertyPage::AddText(TextField field) {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(int(field.size) - 1);
    CAnsiValidator::Attach(edit);
    m_texts.push_back({edit, field, {}});
    return edit;
}

CNumericEdit* CDataLogPropertyPage::AddNumber(int id, F32Field field, const char* displayFormat,
                                              const char* editFormat, double minimum,
                                              double maximum, double step) {
    auto* edit = new CNumericEdit(m_doc.Prompt(), this, id);
    edit->Setup(kNumericStyle, QString::fromLatin1(displayFormat), QString::fromLatin1(editFormat),
                minimum, maximum, step);
    edit->setMinimumWidth(120);
    connect(edit, &CNumericEdit::nenChanged, this, &CDataLogPropertyPage::OnNenChanged);
    m_numbers.push_back({edit, field, 0.0});
    return edit;
}

CNumericEdit* CDataLogPropertyPage::Number(int id) const {
    for (const NumberBinding& n : m_numbers)
        if (n.edit->Id() == id) return n.edit;
    return nullptr;
}

void CDataLogPropertyPage::LoadFields(const DataLogHeader& header) {
    for (TextBinding& t : m_texts) {
        t.edit->setText(FromAnsi(header.Get(t.field)));
        // What the box holds now (a text without terminator is cut to the limit) is the base
        // against which a change is recognised.
        t.loaded = t.edit->text();
    }
    for (NumberBinding& n : m_numbers) {
        n.edit->ShowStoredValue(header.Get(n.field));
        n.loaded = n.edit->Value();
    }
}

void CDataLogPropertyPage::OnOK(DataLogHeader& header) {
    // Only what the user changed is written: an untouched value outside its range, or a text
    // that fills its whole field without terminator, keeps its bytes.
    for (const TextBinding& t : m_texts)
        if (t.edit->text() != t.loaded) header.Set(t.field, ToAnsi(t.edit->text()));
    for (const NumberBinding& n : m_numbers)
        if (std::bit_cast<uint64_t>(n.edit->Value()) != std::bit_cast<uint64_t>(n.loaded))
            header.Set(n.field, float(n.edit->Value()));
}

}  // namespace quillon
