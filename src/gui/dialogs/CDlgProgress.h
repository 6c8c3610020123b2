#pragma once
/// "Progress Indicator": the progress of a long operation over the frames of a log, with a
/// Cancel button that asks the operation to stop.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

class CDlgProgress : public QDialog {
    Q_OBJECT
public:
    explicit CDlgProgress(QWidget* parent = nullptr);

    /// Title, information text and total: the bar runs from 0 to total, "Frame" shows the total
    /// and "Pos" shows 1.
    void Start(const QString& title, const QString& info, int total);
    /// Moves the bar and writes pos into "Pos".
    void SetPos(int pos);
    /// Cancel was pressed (or the window closed); the operation stops at its next report.
    bool IsCancelled() const { return m_cancelled; }

    QLabel* InfoLabel() const { return m_info; }
    QLabel* FrameLabel() const { return m_frame; }
    QLabel* PosLabel() const { return m_pos; }
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* CancelButton() const { return m_cancel; }

signals:
    /// After every SetPos.
    void positionChanged(int pos);

public slots:
    /// Cancel, Escape and the close box: the window stays up until the operation has stopped.
    void reject() override;

private:
    QLabel* m_info = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_frame = nullptr;
    QLabel* m_pos = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_cancelled = false;
};

}  // namespace quillon
