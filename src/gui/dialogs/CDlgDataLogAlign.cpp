#include "gui/dialogs/CDlgDataLogAlign.h"

#include <cmath>

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/CDataLogDoc.h"
#include "gui/common/CChannelPicker.h"
#include "gui/common/WaitCursor.h"
#include "texts/FailureText.h"

namespace quillon {

namespace {

constexpr int kDefaultChannel = 2;  // RPM
constexpr double kDefaultWindow = 10.0;

}  // namespace

CDlgDataLogAlign::CDlgDataLogAlign(CDataLogDoc& doc, QWidget* parent)
    : QDialog(parent), m_doc(doc) {
    setObjectName(QStringLiteral("DlgDataLogAlign"));
    setWindowTitle(QStringLiteral("Align Comparison"));

    m_channel = new CChannelPicker(this);
    m_channel->Fill(doc.Main(), kDefaultChannel, false, CChannelPicker::Missing::FirstItem);
    m_window = new QDoubleSpinBox(this);
    m_window->setRange(0.1, 3600.0);
    m_window->setDecimals(1);
    m_window->setPrefix(QStringLiteral("\u00b1 "));
    m_window->setSuffix(QStringLiteral(" s"));
    m_window->setValue(kDefaultWindow);
    m_window->setKeyboardTracking(false);
    m_range = new QLabel(this);
    m_shift = new QLabel(this);
    m_correlation = new QLabel(this);
    m_correlation->setWordWrap(true);
    m_shift->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Channel"), m_channel);
    form->addRow(QStringLiteral("Search within"), m_window);
    form->addRow(QStringLiteral("Compared over"), m_range);
    form->addRow(QStringLiteral("Shift"), m_shift);
    form->addRow(QStringLiteral("Correlation"), m_correlation);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Apply | QDialogButtonBox::Cancel, this);
    ApplyButton()->setToolTip(
        QStringLiteral("Shift the comparison log by this much (the nudges take it back)"));
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_buttons);
    setMinimumWidth(420);

    connect(ApplyButton(), &QPushButton::clicked, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_channel, &CChannelPicker::channelPicked, this, &CDlgDataLogAlign::Search);
    connect(m_window, &QDoubleSpinBox::valueChanged, this, &CDlgDataLogAlign::Search);
    Search();
}

QPushButton* CDlgDataLogAlign::ApplyButton() const {
    return m_buttons->button(QDialogButtonBox::Apply);
}

void CDlgDataLogAlign::Search() {
    AlignmentSetup setup;
    setup.channel = m_channel->Channel();
    setup.window = m_window->value();
    // The chart's visible window.
    const LogData& main = m_doc.Main();
    const int first = m_doc.GetZoomFirst(), last = m_doc.GetZoomLast();
    if (first >= 0 && last > first && last < main.frameCount &&
        (first > 0 || last < main.frameCount - 1)) {
        setup.from = main.values[0][size_t(first)];
        setup.to = main.values[0][size_t(last)];
    }
    m_range->setText(std::isnan(setup.from) ? QStringLiteral("the whole log")
                                            : QStringLiteral("%1 s to %2 s (the visible window)")
                                                  .arg(setup.from, 0, 'f', 2)
                                                  .arg(setup.to, 0, 'f', 2));
    Result r;
    {
        WaitCursor wait;
        r = m_doc.IsComparisonLoaded() ? AlignLogs(m_doc.Main(), m_doc.Comparison(), setup, m_found)
                                       : Result{};
    }
    if (!m_doc.IsComparisonLoaded()) m_found = Alignment{};
    const QString shift = QStringLiteral("%1 s").arg(m_found.shift, 0, 'f', 3);
    const QString signedShift = m_found.shift > 0 ? QStringLiteral("+") + shift : shift;
    const QString r2 = QString::number(m_found.correlation, 'f', 3);
    if (!r) {
        m_shift->setText(QStringLiteral("none"));
        m_correlation->setText(QString::fromStdString(FailureText(r)));
        m_doc.NoteBrokenStore();
    } else if (m_found.quality == AlignmentQuality::Confident) {
        m_shift->setText(signedShift);
        m_correlation->setText(QStringLiteral("%1 over %2 samples every %3 s")
                                   .arg(r2)
                                   .arg(m_found.samples)
                                   .arg(m_found.step, 0, 'f', 3));
    } else if (m_found.quality == AlignmentQuality::Weak) {
        m_shift->setText(QStringLiteral("none trusted (the best is %1)").arg(signedShift));
        m_correlation->setText(
            QStringLiteral("%1: too weak to line the logs up by this channel (%2 or more is "
                           "trusted)")
                .arg(r2)
                .arg(kConfidentCorrelation, 0, 'f', 1));
    } else {
        m_shift->setText(QStringLiteral("none"));
        m_correlation->setText(
            m_found.quality == AlignmentQuality::Flat
                ? QStringLiteral("the channel does not vary in one of the logs")
                : QStringLiteral("the logs overlap too little within the search window"));
    }
    ApplyButton()->setEnabled(r.ok() && m_found.quality == AlignmentQuality::Confident);
}

bool CDlgDataLogAlign::Run(CDataLogDoc& doc, QWidget* owner) {
    if (!doc.IsComparisonLoaded()) return false;
    CDlgDataLogAlign dialog(doc, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (dialog.Found().quality != AlignmentQuality::Confident) return false;
    doc.ShiftComparison(float(dialog.Found().shift), "Align Comparison");
    return true;
}

}  // namespace quillon
