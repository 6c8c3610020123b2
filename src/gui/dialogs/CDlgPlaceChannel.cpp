#include "gui/dialogs/CDlgPlaceChannel.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

CDlgPlaceChannel::CDlgPlaceChannel(const QString& channel, const QString& view,
                                   const QStringList& entries, int suggested, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DlgPlaceChannel"));
    setWindowTitle(QStringLiteral("Show Math Channel"));
    auto* text = new QLabel(QStringLiteral("No view shows the math channel \"%1\". Put it into "
                                           "the current view, %2, in place of this entry:")
                                .arg(channel, view),
                            this);
    text->setWordWrap(true);
    m_entries = new QComboBox(this);
    m_entries->addItems(entries);
    m_entries->setCurrentIndex(std::clamp(suggested, 0, int(entries.size()) - 1));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Put into View"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Not Now"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_entries);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

int CDlgPlaceChannel::Entry() const {
    return m_entries->currentIndex();
}

}  // namespace quillon
