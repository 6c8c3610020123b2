#pragma once
/// The Ambient page: barometer, altitudes, humidity, temperatures and wind, all typed by the
/// user (none is computed from another).

#include "gui/dialogs/CDataLogPropertyPage.h"

namespace quillon {

class CDataLogPropertyPageAmbient : public CDataLogPropertyPage {
    Q_OBJECT
public:
    enum Id {
        kBaroAbsolute = 4661,
        kBaroCorrected = 4662,
        kAltitude = 4663,
        kCorrectedAltitude = 4668,
        kDensityAltitude = 4669,
        kHumidityRelative = 4665,
        kHumidityGrains = 4666,
        kDewpoint = 4667,
        kAirTemperature = 1128,
        kTrackTemperature = 4745,
        kWindSpeed = 4670,
    };

    CDataLogPropertyPageAmbient(CDataLogDoc& doc, bool comparison, QWidget* parent = nullptr);

    CNumericEdit* Field(int id) const { return Number(id); }
    QLineEdit* WindDirection() const { return m_windDirection; }

private:
    QLineEdit* m_windDirection = nullptr;
};

}  // namespace quillon
