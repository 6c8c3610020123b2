#include "gui/dialogs/CDataLogPropertyPageAmbient.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "gui/common/CNumericEdit.h"

namespace quillon {

namespace {

using H = DataLogHeader;
using P = CDataLogPropertyPageAmbient;

struct NumberRow {
    int id;
    const char* label;
    F32Field field;
};

constexpr NumberRow kRows[] = {
    {P::kBaroAbsolute, "Baro Absolute", H::baroAbsolute},
    {P::kBaroCorrected, "Baro Corrected", H::baroCorrected},
    {P::kAltitude, "Altitude", H::altitude},
    {P::kCorrectedAltitude, "Corrected Altitude", H::correctedAltitude},
    {P::kDensityAltitude, "Density Altitude", H::densityAltitude},
    {P::kHumidityRelative, "Humidity Relative", H::humidityRelative},
    {P::kHumidityGrains, "Humidity Grains", H::humidityGrains},
    {P::kDewpoint, "Dewpoint", H::dewpoint},
    {P::kAirTemperature, "Air Temperature", H::airTemperature},
    {P::kTrackTemperature, "Track Temperature", H::trackTemperature},
    {P::kWindSpeed, "Wind Speed", H::windSpeed},
};

}  // namespace

CDataLogPropertyPageAmbient::CDataLogPropertyPageAmbient(CDataLogDoc& doc, bool comparison,
                                                         QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("Ambient"), parent) {
    auto* grid = new QGridLayout(this);
    // Two columns of fields; the wind direction closes the second.
    constexpr int kPerColumn = 6;
    int i = 0;
    for (const NumberRow& r : kRows) {
        const int row = i % kPerColumn, column = 2 * (i / kPerColumn);
        grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, column);
        grid->addWidget(AddNumber(r.id, r.field, "%.1f", "%.1f", 0, 1000000, 0.1), row, column + 1);
        ++i;
    }
    m_windDirection = AddText(H::windBearing);
    grid->addWidget(new QLabel(QStringLiteral("Wind Direction"), this), kPerColumn - 1, 2);
    grid->addWidget(m_windDirection, kPerColumn - 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(12);
    grid->setRowStretch(kPerColumn, 1);
}

}  // namespace quillon
