#include "gui/dialogs/CDataLogPropertyPageDragRace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "gui/common/CNumericEdit.h"

namespace quillon {

namespace {

using H = DataLogHeader;

struct NumberRow {
    int id;
    const char* label;
    F32Field field;
    const char* displayFormat;
};

constexpr NumberRow kRows[] = {
    {CDataLogPropertyPageDragRace::kReactionTime, "Reaction Time", H::reactionTime, "%.3f sec"},
    {CDataLogPropertyPageDragRace::k60ft, "60ft Time", H::time60ft, "%.3f sec"},
    {CDataLogPropertyPageDragRace::k330ft, "330ft Time", H::time330ft, "%.3f sec"},
    {CDataLogPropertyPageDragRace::k660ft, "660ft Time", H::time660ft, "%.3f sec"},
    {CDataLogPropertyPageDragRace::kSpeed660ft, "660 ft Speed", H::speed660ft, "%.3f"},
    {CDataLogPropertyPageDragRace::k1000ft, "1000ft Time", H::time1000ft, "%.3f sec"},
    {CDataLogPropertyPageDragRace::k1320ft, "1320ft Time", H::time1320ft, "%.3f sec"},
    {CDataLogPropertyPageDragRace::kSpeed1320ft, "1320ft Speed", H::speed1320ft, "%.3f"},
};

const char* const kSplitCaptions[4] = {"60-330ft", "330-660ft", "660-1000ft", "1000-1320ft"};

}  // namespace

CDataLogPropertyPageDragRace::CDataLogPropertyPageDragRace(CDataLogDoc& doc, bool comparison,
                                                           QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("Drag Race"), parent) {
    auto* grid = new QGridLayout(this);
    int row = 0;
    const std::pair<const char*, TextField> texts[] = {
        {"Track", H::dragTrack}, {"Lane", H::dragLane}, {"Round", H::dragRound}};
    for (const auto& [label, field] : texts) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(AddText(field), row++, 1);
    }
    for (const NumberRow& r : kRows) {
        grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, 0);
        grid->addWidget(AddNumber(r.id, r.field, r.displayFormat, "%.3f", 0, 100000, 0.001), row++,
                        1);
    }
    auto* box = new QGroupBox(QStringLiteral("Splits"), this);
    auto* splits = new QGridLayout(box);
    for (int i = 0; i < 4; ++i) {
        splits->addWidget(new QLabel(QString::fromLatin1(kSplitCaptions[i]), box), i, 0);
        m_splits[i] = new QLabel(QString::fromLatin1(kSplitCaptions[i]), box);
        m_splits[i]->setTextFormat(Qt::PlainText);
        m_splits[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        splits->addWidget(m_splits[i], i, 1);
    }
    grid->addWidget(box, 0, 2, row, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(2, 200);
    grid->setRowStretch(row, 1);
}

QString CDataLogPropertyPageDragRace::SplitText(int i) const {
    return m_splits[i]->text();
}

void CDataLogPropertyPageDragRace::ShowSplit(int i, double seconds) {
    m_splits[i]->setText(QString::asprintf("%.3f sec", seconds));
}

double CDataLogPropertyPageDragRace::ValueOf(int id) const {
    return Number(id)->Value();
}

void CDataLogPropertyPageDragRace::OnInitDialog() {
    CDataLogPropertyPage::OnInitDialog();
    const DataLogHeader& h = Header();
    // The header's own single-precision differences.
    ShowSplit(0, double(h.Get(H::time330ft) - h.Get(H::time60ft)));
    ShowSplit(1, double(h.Get(H::time660ft) - h.Get(H::time330ft)));
    ShowSplit(2, double(h.Get(H::time1000ft) - h.Get(H::time660ft)));
    ShowSplit(3, double(h.Get(H::time1320ft) - h.Get(H::time1000ft)));
}

void CDataLogPropertyPageDragRace::OnNenChanged(int id, double value) {
    const double v = double(float(value));
    switch (id) {
        case k60ft:
            ShowSplit(0, ValueOf(k330ft) - v);
            break;
        case k330ft:
            ShowSplit(0, v - ValueOf(k60ft));
            ShowSplit(1, ValueOf(k660ft) - v);
            break;
        case k660ft:
            ShowSplit(1, v - ValueOf(k330ft));
            ShowSplit(2, ValueOf(k1000ft) - v);
            break;
        case k1000ft:
            ShowSplit(2, v - ValueOf(k660ft));
            ShowSplit(3, ValueOf(k1320ft) - v);
            break;
        case k1320ft:
            ShowSplit(3, v - ValueOf(k1000ft));
            break;
        default:
            break;
    }
}

}  // namespace quillon
