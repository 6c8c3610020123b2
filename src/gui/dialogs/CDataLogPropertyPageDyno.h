#pragma once
/// The Dyno page: the dyno record, run and gear, and the peak torque and power with their speeds.

#include "gui/dialogs/CDataLogPropertyPage.h"

namespace quillon {

class CDataLogPropertyPageDyno : public CDataLogPropertyPage {
    Q_OBJECT
public:
    enum Id {
        kRunNumber = 4648,
        kGear = 4649,
        kMaxTorque = 4650,
        kMaxTorqueRpm = 4651,
        kMaxPower = 4652,
        kMaxPowerRpm = 4653,
    };

    CDataLogPropertyPageDyno(CDataLogDoc& doc, bool comparison, QWidget* parent = nullptr);

    CNumericEdit* Field(int id) const { return Number(id); }
    QLineEdit* Record() const { return m_record; }

private:
    QLineEdit* m_record = nullptr;
};

}  // namespace quillon
