#pragma once
/// The Chassis page: corner weights with the total, front and left shares computed live, tires
/// and tire pressures, and the user's default set-up kept in the preferences.

#include "gui/dialogs/CDataLogPropertyPage.h"

class QLabel;

namespace quillon {

class CPrefs;

class CDataLogPropertyPageChassis : public CDataLogPropertyPage {
    Q_OBJECT
public:
    enum Id {
        kWeightLeftFront = 4685,
        kWeightRightFront = 4686,
        kWeightLeftRear = 4687,
        kWeightRightRear = 4688,
        kTirePressureLeftFront = 4689,
        kTirePressureRightFront = 4690,
        kTirePressureLeftRear = 4691,
        kTirePressureRightRear = 4692,
    };

    CDataLogPropertyPageChassis(CDataLogDoc& doc, CPrefs& prefs, bool comparison,
                                QWidget* parent = nullptr);

    CNumericEdit* Field(int id) const { return Number(id); }
    QLineEdit* Tires() const { return m_tires; }
    /// "Total Weight: ...", "Front/Rear: ...%", "Left/Right: ...%".
    QStringList ComputedTexts() const;

    /// The two buttons: the page's chassis set-up into and out of the preferences.
    void SaveDefaults();
    void LoadDefaults();

protected:
    void OnInitDialog() override;
    void OnNenChanged(int id, double value) override;

private:
    void UpdateComputed();

    CPrefs& m_prefs;
    QLineEdit* m_tires = nullptr;
    QLabel* m_computed[3] = {};
};

}  // namespace quillon
