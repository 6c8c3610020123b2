#pragma once
/// The Drag Race page: track, lane and round, the timeslip's times and speeds, and the four
/// splits between the distances, recomputed while the times are edited.

#include "gui/dialogs/CDataLogPropertyPage.h"

class QLabel;

namespace quillon {

class CDataLogPropertyPageDragRace : public CDataLogPropertyPage {
    Q_OBJECT
public:
    enum Id {
        kReactionTime = 4625,
        k60ft = 4626,
        k330ft = 4627,
        k660ft = 4628,
        kSpeed660ft = 4703,
        k1000ft = 4629,
        k1320ft = 4630,
        kSpeed1320ft = 4631,
    };

    CDataLogPropertyPageDragRace(CDataLogDoc& doc, bool comparison, QWidget* parent = nullptr);

    CNumericEdit* Field(int id) const { return Number(id); }
    /// Split i (0: 60-330ft .. 3: 1000-1320ft) as shown.
    QString SplitText(int i) const;

protected:
    void OnInitDialog() override;
    void OnNenChanged(int id, double value) override;

private:
    void ShowSplit(int i, double seconds);
    double ValueOf(int id) const;

    QLabel* m_splits[4] = {};
};

}  // namespace quillon
