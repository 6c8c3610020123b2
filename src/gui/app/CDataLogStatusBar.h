#pragma once
/// The main window's status bar: the message pane ("Ready" or the prompt of the highlighted
/// menu item) and five fixed panes describing the open log.

#include <cstdint>

#include <QStatusBar>

class QLabel;

namespace quillon {

class CDataLogDoc;

class CDataLogStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CDataLogStatusBar(QWidget* parent = nullptr);

    /// Fills the panes from the document; without one the zoom, start-time and date panes are
    /// emptied and the firmware and configuration-file panes keep their texts; with a document
    /// but no log open, every pane is empty.
    void Refresh(const CDataLogDoc* doc);

    /// Pane 0 is the message pane; panes 1..5 are zoom, start time, date, firmware and the
    /// configuration-file name.
    QLabel* Pane(int index) const;

    static QString ZoomText(int first, int last, int frameCount);
    static QString DateText(uint32_t logDate);
    static QString FirmwareText(uint32_t firmwareVersion);

private:
    QLabel* m_ready;
    QLabel* m_panes[5];
};

}  // namespace quillon
