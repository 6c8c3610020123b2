#include "gui/dialogs/CDataLogPropertyPageDyno.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "gui/common/CNumericEdit.h"

namespace quillon {

namespace {

using H = DataLogHeader;
using P = CDataLogPropertyPageDyno;

struct NumberRow {
    int id;
    const char* label;
    F32Field field;
    const char* displayFormat;
    const char* editFormat;
    double maximum;
    double step;
};

constexpr NumberRow kRows[] = {
    {P::kRunNumber, "Run Number", H::dynoRunNumber, "%.0f", "%.0f", 100000, 1},
    {P::kGear, "Gear", H::dynoGear, "%.0f", "%.0f", 10, 1},
    {P::kMaxTorque, "Maximum Torque", H::maxTorque, "%.1f", "%.1f", 100000, 0.1},
    {P::kMaxTorqueRpm, "Maximum Torque RPM", H::maxTorqueRpm, "%.0f RPM", "%.0f", 100000, 1},
    {P::kMaxPower, "Maximum Power", H::maxPower, "%.1f", "%.1f", 100000, 0.1},
    {P::kMaxPowerRpm, "Maximum Power RPM", H::maxPowerRpm, "%.0f RPM", "%.0f", 100000, 1},
};

}  // namespace

CDataLogPropertyPageDyno::CDataLogPropertyPageDyno(CDataLogDoc& doc, bool comparison,
                                                   QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("Dyno"), parent) {
    auto* grid = new QGridLayout(this);
    m_record = AddText(H::dynoRecord);
    grid->addWidget(new QLabel(QStringLiteral("Dyno Record"), this), 0, 0);
    grid->addWidget(m_record, 0, 1);
    int row = 1;
    for (const NumberRow& r : kRows) {
        grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, 0);
        grid->addWidget(
            AddNumber(r.id, r.field, r.displayFormat, r.editFormat, 0, r.maximum, r.step), row++,
            1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
}

}  // namespace quillon
