#include "gui/dialogs/CDlgDataLogAxisSetup.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "gui/common/AnsiText.h"
#include "gui/common/CNumericEdit.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/DialogLayout.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "gui/dialogs/ChannelFieldFormat.h"

namespace quillon {

namespace {

constexpr double kRangeLimit = 100000;
constexpr int kFieldStyle = CNumericEdit::kSpin | CNumericEdit::kBar | CNumericEdit::kNotifyAll;

// A stored value outside the field's range (or not a number) is brought inside without the
// field's range question: the dialog is only opening.
double Inside(float value) {
    if (!std::isfinite(value)) return 0;
    return std::clamp(double(value), -kRangeLimit, kRangeLimit);
}

}  // namespace

const char* const CDlgDataLogAxisSetup::kSmoothingItems[6] = {
    "None",           "3 Point Average", "5 Point Average", "7 Point Average", "9 Point Average",
    "11Point Average"};

CDlgDataLogAxisSetup::CDlgDataLogAxisSetup(CDataLogDoc& doc, int entry, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
    setObjectName(QStringLiteral("DlgDataLogAxisSetup"));
    m_view = std::clamp(doc.GetCurrentView(), 0, kViewCount - 1);
    m_entry = std::clamp(entry, 0, kViewEntryCount - 1);
    const GraphViewEntry& e = doc.Config().views[size_t(m_view)].entries[size_t(m_entry)];
    if (e.channel >= 1 && e.channel <= uint32_t(kChannelCount)) m_channel = int(e.channel);

    const EcuConfigBlock& config = doc.Main().config;
    setWindowTitle(FromAnsi(m_channel ? GetChannelName(config, m_channel) : std::string()) +
                   QStringLiteral(" Axis Setup"));

    m_autoscale = new QCheckBox(QStringLiteral("Autoscale Axis"), this);
    m_minimum = new CNumericEdit(doc.Prompt(), this);
    m_maximum = new CNumericEdit(doc.Prompt(), this);
    const ChannelFieldFormat format =
        ChannelFieldFormatOf(m_channel ? GetChannelValueFormat(config, m_channel) : "%.0f");
    for (CNumericEdit* field : {m_minimum, m_maximum}) {
        field->Setup(kFieldStyle, format.display, format.edit, -kRangeLimit, kRangeLimit,
                     format.step);
        field->setMinimumSize(150, 24);
    }
    if (m_channel) {
        const ChannelAxisSetting& axis = doc.Config().axes[size_t(m_channel - 1)];
        m_autoscale->setChecked(axis.autoscale != 0);
        m_minimum->SetValue(false, Inside(axis.minimum));
        m_maximum->SetValue(false, Inside(axis.maximum));
    } else {
        m_autoscale->setChecked(true);
        m_autoscale->setEnabled(false);
    }

    m_smoothing = new QComboBox(this);
    for (const char* item : kSmoothingItems)
        m_smoothing->addItem(QString::fromLatin1(item));
    m_panel = new QComboBox(this);
    for (int p = 1; p <= kPanelCount; ++p)
        m_panel->addItem(QString::number(p));
    // A stored level or panel outside the lists selects no item.
    m_smoothing->setCurrentIndex(e.filter <= 5 ? int(e.filter) : -1);
    m_panel->setCurrentIndex(e.panel < uint32_t(kPanelCount) ? int(e.panel) : -1);

    auto* form = new QFormLayout;
    form->addRow(m_autoscale);
    form->addRow(QStringLiteral("Minimum:"), m_minimum);
    form->addRow(QStringLiteral("Maximum:"), m_maximum);
    form->addRow(QStringLiteral("Smoothing:"), m_smoothing);
    form->addRow(QStringLiteral("Panel:"), m_panel);
    LayOutFormDialog(this, form, 300);

    connect(m_autoscale, &QCheckBox::toggled, this, &CDlgDataLogAxisSetup::EnableRange);
    EnableRange();
}

void CDlgDataLogAxisSetup::EnableRange() {
    const bool fixed = m_channel && !m_autoscale->isChecked();
    m_minimum->setEnabled(fixed);
    m_maximum->setEnabled(fixed);
}

void CDlgDataLogAxisSetup::accept() {
    // A number still being typed counts as entered.
    for (CNumericEdit* field : {m_minimum, m_maximum})
        if (field->IsEditing()) field->EndEditing();
    GraphConfiguration& config = m_doc.Config();
    GraphViewEntry& e = config.views[size_t(m_view)].entries[size_t(m_entry)];
    if (m_channel) {
        ChannelAxisSetting& axis = config.axes[size_t(m_channel - 1)];
        axis.autoscale = m_autoscale->isChecked() ? 1 : 0;
        axis.minimum = float(m_minimum->Value());
        axis.maximum = float(m_maximum->Value());
    }
    // With no item selected the stored value stays, brought into its range.
    const int panel = m_panel->currentIndex();
    e.panel = panel >= 0 ? uint32_t(panel) : std::min<uint32_t>(e.panel, kPanelCount - 1);
    const int filter = m_smoothing->currentIndex();
    e.filter = filter >= 0 ? uint32_t(filter) : std::min<uint32_t>(e.filter, 5);
    QDialog::accept();
}

bool CDlgDataLogAxisSetup::Run(CDataLogDoc& doc, int entry, QWidget* owner) {
    CDlgDataLogAxisSetup dialog(doc, entry, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    doc.SaveGraphConfiguration();
    return true;
}

}  // namespace quillon
