#include "gui/dialogs/CDlgProgress.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

CDlgProgress::CDlgProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgProgress"));
    setWindowTitle(QStringLiteral("Progress Indicator"));
    m_info = new QLabel(QStringLiteral("Info"), this);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    m_pos = new QLabel(QStringLiteral("Pos"), this);
    m_frame = new QLabel(QStringLiteral("Frame"), this);
    m_frame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, this, &CDlgProgress::reject);

    auto* counts = new QHBoxLayout;
    counts->addWidget(m_pos);
    counts->addStretch();
    counts->addWidget(m_frame);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_info);
    layout->addWidget(m_bar);
    layout->addLayout(counts);
    layout->addLayout(buttons);
    setMinimumWidth(340);
}

void CDlgProgress::Start(const QString& title, const QString& info, int total) {
    setWindowTitle(title);
    m_info->setText(info);
    // An empty range would turn the bar into a busy indicator.
    m_bar->setRange(0, std::max(total, 1));
    m_bar->setValue(0);
    m_frame->setText(QString::number(total));
    m_pos->setText(QStringLiteral("1"));
    m_cancelled = false;
    m_cancel->setEnabled(true);
}

void CDlgProgress::SetPos(int pos) {
    m_bar->setValue(std::clamp(pos, m_bar->minimum(), m_bar->maximum()));
    m_pos->setText(QString::number(pos));
    emit positionChanged(pos);
}

void CDlgProgress::reject() {
    m_cancelled = true;
    m_cancel->setEnabled(false);
}

}  // namespace quillon
