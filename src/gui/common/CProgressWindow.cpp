#include "gui/common/CProgressWindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressDialog>

#include "texts/UserTexts.h"

namespace quillon {

namespace {

/// Escape and the close button cancel work that can stop, and leave other work's window alone:
/// hidden, it would let the work go on unseen.
class ProgressDialog : public QProgressDialog {
public:
    ProgressDialog(const QString& label, const QString& cancel, QWidget* owner)
        : QProgressDialog(label, cancel, 0, 1000, owner), m_cancellable(!cancel.isEmpty()) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Escape) return QProgressDialog::keyPressEvent(event);
        if (m_cancellable) emit canceled();
        event->accept();
    }
    void closeEvent(QCloseEvent* event) override {
        if (m_cancellable) return QProgressDialog::closeEvent(event);
        event->ignore();
    }

private:
    bool m_cancellable;
};

}  // namespace

CProgressWindow::CProgressWindow(QWidget* owner) : m_owner(owner) {}

CProgressWindow::~CProgressWindow() = default;

void CProgressWindow::Begin(const QString& label, bool cancellable) {
    m_label = label;
    m_running = true;
    m_cancellable = cancellable;
    m_cancelled = false;
    m_clock.start();
}

void CProgressWindow::Step(int64_t done, int64_t total) {
    // Cancel hides the window; the steps of the work winding down must not show it again.
    if (!m_running || m_cancelled) return;
    // No timer of its own: the window can only appear from a step of the work, never from an
    // event loop that a question runs.
    if (!m_dialog && m_clock.elapsed() >= m_showDelay) Show();
    if (m_dialog && total > 0)
        m_dialog->setValue(int(std::clamp<int64_t>(done * 1000 / total, 0, 1000)));
}

void CProgressWindow::Show() {
    m_dialog = std::make_unique<ProgressDialog>(
        m_label, m_cancellable ? QStringLiteral("Cancel") : QString(), m_owner);
    if (m_cancellable)
        QObject::connect(m_dialog.get(), &QProgressDialog::canceled, m_dialog.get(),
                         [this] { m_cancelled = true; });
    const QString title = QString::fromUtf8(kAppTitle);
    m_dialog->setWindowTitle(title);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // A title bar cuts a caption wider than the window: leave room for it and the title
    // buttons besides the label's own width.
    const QFontMetrics metrics(m_dialog->font());
    const int width =
        std::max(metrics.horizontalAdvance(title) + 160, metrics.horizontalAdvance(m_label) + 60);
    m_dialog->setMinimumWidth(std::max(width, m_dialog->sizeHint().width()));
    m_dialog->setMinimumDuration(0);
    m_dialog->setValue(0);
    m_dialog->show();
}

void CProgressWindow::CloseForPrompt() {
    m_dialog.reset();
    if (m_running) m_clock.restart();
}

void CProgressWindow::End() {
    m_dialog.reset();
    m_running = false;
}

}  // namespace quillon
