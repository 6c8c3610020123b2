#include "gui/dialogs/CDataLogPropertyPageChassis.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "settings/CPrefs.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CNumericEdit.h"

namespace quillon {

namespace {

using H = DataLogHeader;
using P = CDataLogPropertyPageChassis;

struct NumberRow {
    int id;
    const char* label;
    F32Field field;
};

constexpr NumberRow kRows[] = {
    {P::kWeightLeftFront, "Weight Left Front", H::weightLeftFront},
    {P::kWeightRightFront, "Weight Right Front", H::weightRightFront},
    {P::kWeightLeftRear, "Weight Left Rear", H::weightLeftRear},
    {P::kWeightRightRear, "Weight Right Rear", H::weightRightRear},
    {P::kTirePressureLeftFront, "Tire Pressure Left Front", H::tirePressureLeftFront},
    {P::kTirePressureRightFront, "Tire Pressure Right Front", H::tirePressureRightFront},
    {P::kTirePressureLeftRear, "Tire Pressure Left Rear", H::tirePressureLeftRear},
    {P::kTirePressureRightRear, "Tire Pressure Right Rear", H::tirePressureRightRear},
};

}  // namespace

CDataLogPropertyPageChassis::CDataLogPropertyPageChassis(CDataLogDoc& doc, CPrefs& prefs,
                                                         bool comparison, QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("Chassis"), parent), m_prefs(prefs) {
    auto* grid = new QGridLayout(this);
    // Weights on the left with their computed texts, tires and pressures on the right.
    for (int i = 0; i < 8; ++i) {
        const NumberRow& r = kRows[i];
        const int column = i < 4 ? 0 : 2, row = i < 4 ? i : i - 3;
        grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, column);
        grid->addWidget(AddNumber(r.id, r.field, "%.1f", "%.1f", 0, 1000000, 0.1), row, column + 1);
    }
    m_tires = AddText(H::tires);
    grid->addWidget(new QLabel(QStringLiteral("Tires"), this), 0, 2);
    grid->addWidget(m_tires, 0, 3);
    for (int i = 0; i < 3; ++i) {
        m_computed[i] = new QLabel(this);
        m_computed[i]->setTextFormat(Qt::PlainText);
        grid->addWidget(m_computed[i], 5 + i, 0, 1, 2);
    }
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(QStringLiteral("Save Defaults"), this);
    auto* load = new QPushButton(QStringLiteral("Load Defaults"), this);
    save->setAutoDefault(false);
    load->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &CDataLogPropertyPageChassis::SaveDefaults);
    connect(load, &QPushButton::clicked, this, &CDataLogPropertyPageChassis::LoadDefaults);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addSpacing(6);
    buttons->addWidget(load);
    grid->addLayout(buttons, 9, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(12);
    grid->setRowStretch(8, 1);
}

QStringList CDataLogPropertyPageChassis::ComputedTexts() const {
    return {m_computed[0]->text(), m_computed[1]->text(), m_computed[2]->text()};
}

void CDataLogPropertyPageChassis::UpdateComputed() {
    const double lf = Number(kWeightLeftFront)->Value();
    const double rf = Number(kWeightRightFront)->Value();
    const double lr = Number(kWeightLeftRear)->Value();
    const double rr = Number(kWeightRightRear)->Value();
    const float total = float(lf + rf + lr + rr);
    // Without any weight both shares are 0 rather than 0/0.
    const double front = total != 0.0f ? (lf + rf) / total * 100.0 : 0.0;
    const double left = total != 0.0f ? (lf + lr) / total * 100.0 : 0.0;
    m_computed[0]->setText(QString::asprintf("Total Weight: %.1f", double(total)));
    m_computed[1]->setText(QString::asprintf("Front/Rear: %.1f%%", front));
    m_computed[2]->setText(QString::asprintf("Left/Right: %.1f%%", left));
}

void CDataLogPropertyPageChassis::OnInitDialog() {
    CDataLogPropertyPage::OnInitDialog();
    UpdateComputed();
}

void CDataLogPropertyPageChassis::OnNenChanged(int, double) {
    UpdateComputed();
}

void CDataLogPropertyPageChassis::SaveDefaults() {
    DataLogHeader block;
    block.Set(H::tires, ToAnsi(m_tires->text()));
    for (const NumberRow& r : kRows)
        block.Set(r.field, float(Number(r.id)->Value()));
    m_prefs.SaveChassisDefaults(block);
}

void CDataLogPropertyPageChassis::LoadDefaults() {
    DataLogHeader block;
    m_prefs.LoadChassisDefaults(block);
    m_tires->setText(FromAnsi(block.Get(H::tires)));
    // The preferences file is the user's to edit: its values pass the fields' range checks.
    for (const NumberRow& r : kRows)
        Number(r.id)->SetValue(false, double(block.Get(r.field)));
    UpdateComputed();
}

}  // namespace quillon
