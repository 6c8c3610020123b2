#include "gui/dialogs/CDataLogPropertyPageGeneral.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/common/AnsiText.h"
#include "document/CDataLogDoc.h"
#include "gui/dialogs/CElidedLabel.h"
#include "gui/dialogs/CNotesEdit.h"

namespace quillon {

namespace {

constexpr int kLineCount = 10;

}  // namespace

CDataLogPropertyPageGeneral::CDataLogPropertyPageGeneral(CDataLogDoc& doc, bool comparison,
                                                         QWidget* parent)
    : CDataLogPropertyPage(doc, comparison, QStringLiteral("General"), parent),
      m_notes(new CNotesEdit(kNotesLimit, this)) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < kLineCount; ++i) {
        auto* line = new CElidedLabel(this);
        layout->addWidget(line);
        m_lines.push_back(line);
    }
    layout->addSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("Notes:"), this));
    layout->addWidget(m_notes, 1);
}

QStringList CDataLogPropertyPageGeneral::Lines() const {
    QStringList lines;
    for (const CElidedLabel* line : m_lines)
        lines << line->text();
    return lines;
}

void CDataLogPropertyPageGeneral::OnInitDialog() {
    const DataLogHeader& h = Header();
    m_notes->SetAnsiText(h.Get(DataLogHeader::notes));
    m_loadedNotes = m_notes->toPlainText();

    const LogData& log = Log();
    const int n = log.frameCount;
    const std::string& path = IsComparison() ? Doc().GetComparisonPathName() : Doc().GetPathName();
    const std::string start =
        IsComparison() ? Doc().ComparisonStartTimeText() : Doc().StartTimeText();
    // A log without frames has no first or last time: its length is shown as 0.
    double duration = 0.0;
    if (n > 0 && log.values[0].size() >= size_t(n))
        duration = double(log.values[0][size_t(n - 1)]) - double(log.values[0][0]);

    const QString texts[kLineCount] = {
        QStringLiteral("Logfile: ") + QString::fromStdString(path),
        QString::fromStdString(start),
        QString::asprintf("Log Duration: %.2f seconds", duration),
        QString::asprintf("Data Points: %i", n),
        QString::asprintf("Zero Time: %.2f seconds", double(h.Get(DataLogHeader::zeroTime))),
        QString::asprintf("Logfile Version: %i.%i", int(h.Get(DataLogHeader::versionMajor)),
                          int(h.Get(DataLogHeader::versionMinor))),
        QString::asprintf("Date: %08X", h.Get(DataLogHeader::logDate)),
        QString::asprintf("Firmware Version: %08X", h.Get(DataLogHeader::firmwareVersion)),
        QString::asprintf("ECU ID: %u", h.Get(DataLogHeader::ecuSerial)),
        QStringLiteral("Global File: ") + FromAnsi(h.Get(DataLogHeader::globalFile)),
    };
    for (int i = 0; i < kLineCount; ++i)
        m_lines[size_t(i)]->setText(texts[i]);
}

void CDataLogPropertyPageGeneral::OnOK(DataLogHeader& header) {
    if (m_notes->toPlainText() != m_loadedNotes)
        header.Set(DataLogHeader::notes, m_notes->AnsiText());
}

}  // namespace quillon
