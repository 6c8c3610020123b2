#include "gui/dialogs/CDlgDataLogAutoZero.h"

#include <algorithm>
#include <cmath>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "settings/CPrefs.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CNumericEdit.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/DialogLayout.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "gui/dialogs/ChannelFieldFormat.h"

namespace quillon {

CDlgDataLogAutoZero::CDlgDataLogAutoZero(CDataLogDoc& doc, bool comparison, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_log(comparison ? doc.Comparison() : doc.Main()) {
    setObjectName(QStringLiteral("DlgDataLogAutoZero"));
    setWindowTitle(QStringLiteral("AutoZero Datalog"));

    int storedChannel = 1;
    float storedTrigger = 0;
    int storedCondition = 0;
    doc.Prefs().LoadAutoZero(storedChannel, storedTrigger, storedCondition);

    // Main log: the channels this log carries. Comparison: every channel but the last, as the
    // comparison's own availability is not checked. Names come from the log being scanned.
    m_when = new QComboBox(this);
    m_when->setMaxVisibleItems(20);
    const int last = comparison ? kChannelCount - 1 : kChannelCount;
    for (int c = 1; c <= last; ++c)
        if (comparison || IsChannelAvailable(m_log, c))
            m_when->addItem(FromAnsi(GetChannelName(m_log.config, c)), c);
    m_is = new QComboBox(this);
    m_is->addItems({QStringLiteral("<"), QStringLiteral(">")});
    m_triggerField = new CNumericEdit(doc.Prompt(), this);
    m_triggerField->Setup(CNumericEdit::kSpin | CNumericEdit::kBar | CNumericEdit::kNotifyAll,
                          QStringLiteral("%.0f"), QStringLiteral("%.0f"), -9999999, 9999999, 1);
    m_triggerField->setMinimumSize(150, 24);

    // "When <channel> Is <condition> <trigger>", the condition and the trigger on one line.
    auto* condition = new QHBoxLayout;
    condition->addWidget(m_is);
    condition->addWidget(m_triggerField, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("When"), m_when);
    form->addRow(QStringLiteral("Is"), condition);
    LayOutFormDialog(this, form, 320);

    m_when->setCurrentIndex(std::max(0, m_when->findData(storedChannel)));
    m_is->setCurrentIndex(storedCondition == 1 ? 1 : 0);
    OnChannelChanged();
    // A stored trigger outside the channel's range is brought inside without the field's range
    // question.
    if (std::isfinite(storedTrigger))
        m_triggerField->SetValue(false, std::clamp(double(storedTrigger), m_triggerField->Minimum(),
                                                   m_triggerField->Maximum()));
    connect(m_when, &QComboBox::currentIndexChanged, this, &CDlgDataLogAutoZero::OnChannelChanged);
}

void CDlgDataLogAutoZero::OnChannelChanged() {
    const int c = m_when->currentData().toInt();
    if (c < 1) return;
    const ChannelFieldFormat format = ChannelFieldFormatOf(GetChannelValueFormat(m_log.config, c));
    double low = GetChannelMin(m_log, c);
    double high = GetChannelMax(m_log, c);
    if (!(low <= high)) std::swap(low, high);  // a table range read from a log may be reversed
    m_triggerField->Reconfigure(format.edit, format.edit, low, high, format.step);
}

void CDlgDataLogAutoZero::accept() {
    if (m_triggerField->IsEditing()) m_triggerField->EndEditing();
    m_channel = m_when->currentData().toInt();
    m_condition = m_is->currentIndex() == 1 ? 1 : 0;
    m_trigger = float(m_triggerField->Value());
    if (m_channel >= 1) m_doc.Prefs().SaveAutoZero(m_channel, m_trigger, int(m_condition));
    QDialog::accept();
}

bool CDlgDataLogAutoZero::Run(CDataLogDoc& doc, bool comparison, QWidget* owner) {
    CDlgDataLogAutoZero dialog(doc, comparison, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    return comparison
               ? doc.ComparisonAutoZero(dialog.Channel(), dialog.Condition(), dialog.TriggerPoint())
               : doc.AutoZero(dialog.Channel(), dialog.Condition(), dialog.TriggerPoint());
}

}  // namespace quillon
