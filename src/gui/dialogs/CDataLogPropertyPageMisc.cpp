#include "gui/dialogs/CDataLogPropertyPageMisc.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "settings/CPrefs.h"
#include "gui/common/AnsiText.h"

namespace quillon {

namespace {

using H = DataLogHeader;

TextField Row(TextField first, int row) {
    return {first.offset + first.size * size_t(row), first.size};
}

}  // namespace

CDataLogPropertyPageMisc::CDataLogPropertyPageMisc(CDataLogDoc& doc, CPrefs& prefs, bool comparison,
                                                   int page, QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("Miscellaneous %1").arg(page), parent),
      m_prefs(prefs),
      m_page(page == 2 ? 2 : 1) {
    auto* grid = new QGridLayout(this);
    m_description = AddText(DescriptionField());
    grid->addWidget(new QLabel(QStringLiteral("Description"), this), 0, 0);
    grid->addWidget(m_description, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Parameter"), this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Information"), this), 1, 2);
    for (int i = 0; i < kRows; ++i) {
        m_parameters[i] = AddText(ParameterField(i));
        m_information[i] = AddText(InformationField(i));
        grid->addWidget(new QLabel(QString::number(i + 1), this), 2 + i, 0, Qt::AlignRight);
        grid->addWidget(m_parameters[i], 2 + i, 1);
        grid->addWidget(m_information[i], 2 + i, 2);
    }
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(QStringLiteral("Save Defaults"), this);
    auto* load = new QPushButton(QStringLiteral("Load Defaults"), this);
    save->setAutoDefault(false);
    load->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &CDataLogPropertyPageMisc::SaveDefaults);
    connect(load, &QPushButton::clicked, this, &CDataLogPropertyPageMisc::LoadDefaults);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addSpacing(6);
    buttons->addWidget(load);
    grid->addLayout(buttons, 2 + kRows, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 2);
    grid->setRowStretch(3 + kRows, 1);
}

TextField CDataLogPropertyPageMisc::DescriptionField() const {
    return m_page == 1 ? H::misc1Description : H::misc2Description;
}

TextField CDataLogPropertyPageMisc::ParameterField(int row) const {
    return Row(m_page == 1 ? H::misc1Parameter : H::misc2Parameter, row);
}

TextField CDataLogPropertyPageMisc::InformationField(int row) const {
    return Row(m_page == 1 ? H::misc1Information : H::misc2Information, row);
}

void CDataLogPropertyPageMisc::SaveDefaults() {
    DataLogHeader block;
    block.Set(DescriptionField(), ToAnsi(m_description->text()));
    for (int i = 0; i < kRows; ++i) {
        block.Set(ParameterField(i), ToAnsi(m_parameters[i]->text()));
        block.Set(InformationField(i), ToAnsi(m_information[i]->text()));
    }
    m_prefs.SaveMiscDefaults(m_page, block);
}

void CDataLogPropertyPageMisc::LoadDefaults() {
    DataLogHeader block;
    m_prefs.LoadMiscDefaults(m_page, block);
    m_description->setText(FromAnsi(block.Get(DescriptionField())));
    for (int i = 0; i < kRows; ++i) {
        m_parameters[i]->setText(FromAnsi(block.Get(ParameterField(i))));
        m_information[i]->setText(FromAnsi(block.Get(InformationField(i))));
    }
}

}  // namespace quillon
