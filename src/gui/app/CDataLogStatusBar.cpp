#include "gui/app/CDataLogStatusBar.h"

#include <QLabel>

#include "gui/common/TextConversion.h"
#include "gui/common/AnsiText.h"
#include "document/CDataLogDoc.h"

namespace quillon {

namespace {

// Each fixed pane is as wide as its placeholder text in the bar's font.
const char* const kPlaceholders[5] = {
    "Zoom: 99999 to 999999 [999999]  ",
    "Start Time: 112:88:88.88  ",
    "Time Stamp Placeholder      ",
    "Firmware:   0x00000587     ",
    "Datalog GCF Name Placeholder    Datalog GCF Name Placeholder    ",
};

// A fixed pane: as wide as its placeholder while there is room, narrower (its text cut) when the
// window is too small for all panes, so that the panes never hold the window wide.
class PaneLabel : public QLabel {
public:
    PaneLabel(int width, QWidget* parent) : QLabel(parent) {
        setMaximumWidth(width);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    }
    // The pane's width is its maximum: the placeholder's, or its text's when that is wider.
    QSize sizeHint() const override { return {maximumWidth(), QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {16, QLabel::minimumSizeHint().height()}; }
};

// A text wider than the placeholder (a log of a million frames and more) widens the pane, so
// that no number is cut.
void WidenToText(QLabel* pane) {
    const int needed = pane->fontMetrics().horizontalAdvance(pane->text()) +
                       2 * pane->frameWidth() + 2 * pane->margin() + 8;
    if (needed <= pane->maximumWidth()) return;
    pane->setMaximumWidth(needed);
    pane->updateGeometry();
}

// "%08X"
QString Hex8(uint32_t value) {
    return QString::number(value, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

}  // namespace

CDataLogStatusBar::CDataLogStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("DataLogStatusBar"));
    m_ready = new QLabel(QStringLiteral("Ready"), this);
    addWidget(m_ready, 1);
    const QFontMetrics metrics(font());
    for (int i = 0; i < 5; ++i) {
        auto* pane = new PaneLabel(
            metrics.horizontalAdvance(QString::fromLatin1(kPlaceholders[i])) + 8, this);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setTextFormat(Qt::PlainText);
        addPermanentWidget(pane);
        m_panes[i] = pane;
    }
}

QLabel* CDataLogStatusBar::Pane(int index) const {
    if (index == 0) return m_ready;
    return index >= 1 && index <= 5 ? m_panes[index - 1] : nullptr;
}

QString CDataLogStatusBar::ZoomText(int first, int last, int frameCount) {
    return QStringLiteral("Zoom: %1 to %2 [%3]").arg(first).arg(last).arg(frameCount);
}

QString CDataLogStatusBar::DateText(uint32_t logDate) {
    return QStringLiteral("Date: ") + Hex8(logDate);
}

QString CDataLogStatusBar::FirmwareText(uint32_t firmwareVersion) {
    return QStringLiteral("Firmware:") + Hex8(firmwareVersion);
}

void CDataLogStatusBar::Refresh(const CDataLogDoc* doc) {
    auto set = [](QLabel* label, const QString& text) {
        if (label->text() != text) label->setText(text);
    };
    if (!doc) {
        set(m_panes[0], {});
        set(m_panes[1], {});
        set(m_panes[2], {});
        return;
    }
    // With no log open there is nothing to describe: every pane is empty.
    if (!doc->HasLog()) {
        for (QLabel* pane : m_panes)
            set(pane, {});
        if (!m_panes[4]->toolTip().isEmpty()) m_panes[4]->setToolTip({});
        return;
    }
    const DataLogHeader& header = doc->Main().header;
    set(m_panes[0], ZoomText(doc->GetZoomFirst(), doc->GetZoomLast(), doc->GetFrameCount()));
    set(m_panes[1], FromCoreText(doc->StartTimeText()));
    set(m_panes[2], DateText(header.Get(DataLogHeader::logDate)));
    set(m_panes[3], FirmwareText(header.Get(DataLogHeader::firmwareVersion)));
    // The configuration-file name alone may be cut: its tooltip shows it whole.
    for (int i = 0; i < 4; ++i)
        WidenToText(m_panes[i]);
    const QString gcf = FromAnsi(header.Get(DataLogHeader::globalFile));
    set(m_panes[4], gcf);
    if (m_panes[4]->toolTip() != gcf) m_panes[4]->setToolTip(gcf);
}

}  // namespace quillon
