#include "gui/dialogs/CDlgDataLogXAxisSetup.h"

#include <algorithm>
#include <cmath>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "gui/common/CNumericEdit.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/DialogLayout.h"

namespace quillon {

namespace {

constexpr double kRangeLimit = 100000;

double Inside(float value) {
    if (!std::isfinite(value)) return 0;
    return std::clamp(double(value), -kRangeLimit, kRangeLimit);
}

}  // namespace

CDlgDataLogXAxisSetup::CDlgDataLogXAxisSetup(CDataLogDoc& doc, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgDataLogXAxisSetup"));
    setWindowTitle(QStringLiteral("X Axis (RTC) Setup"));
    const ChannelAxisSetting& rtc = doc.Config().axes[0];
    m_minimum = new CNumericEdit(doc.Prompt(), this);
    m_maximum = new CNumericEdit(doc.Prompt(), this);
    for (CNumericEdit* field : {m_minimum, m_maximum}) {
        field->Setup(CNumericEdit::kSpin | CNumericEdit::kBar | CNumericEdit::kNotifyAll,
                     QStringLiteral("%.2f sec"), QStringLiteral("%.2f"), -kRangeLimit, kRangeLimit,
                     0.01);
        field->setMinimumSize(150, 24);
    }
    m_minimum->SetValue(false, Inside(rtc.minimum));
    m_maximum->SetValue(false, Inside(rtc.maximum));
    m_min = float(m_minimum->Value());
    m_max = float(m_maximum->Value());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Minimum:"), m_minimum);
    form->addRow(QStringLiteral("Maximum:"), m_maximum);
    LayOutFormDialog(this, form, 280);
}

void CDlgDataLogXAxisSetup::accept() {
    for (CNumericEdit* field : {m_minimum, m_maximum})
        if (field->IsEditing()) field->EndEditing();
    m_min = float(m_minimum->Value());
    m_max = float(m_maximum->Value());
    QDialog::accept();
}

}  // namespace quillon
