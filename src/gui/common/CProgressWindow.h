#pragma once
/// The one progress window of long document work (loading, saving, comparison loading): shown
/// only once the work has lasted a moment, and closed whenever the user is asked something, so
/// that it never stands over a question or message.

#include <cstdint>
#include <memory>

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>

class QProgressDialog;

namespace quillon {

class CProgressWindow {
public:
    explicit CProgressWindow(QWidget* owner);
    ~CProgressWindow();
    CProgressWindow(const CProgressWindow&) = delete;
    CProgressWindow& operator=(const CProgressWindow&) = delete;

    /// Starts an operation; the window appears at the first step after the show delay. A
    /// cancellable one has a Cancel button, which Escape and the close button also press.
    void Begin(const QString& label, bool cancellable = false);
    /// The user asked to stop the cancellable operation.
    bool Cancelled() const { return m_cancelled; }
    /// Reports done of total; shows the window once the delay has passed.
    void Step(int64_t done, int64_t total);
    /// Closes the window for a question; it may appear again if the work goes on long enough.
    void CloseForPrompt();
    /// Ends the operation and closes the window.
    void End();

    /// Milliseconds of work before the window appears (0 shows it at the first step).
    void SetShowDelay(int milliseconds) { m_showDelay = milliseconds; }
    bool IsRunning() const { return m_running; }
    /// The window while it is shown, else null.
    QProgressDialog* Dialog() const { return m_dialog.get(); }

private:
    void Show();

    QPointer<QWidget> m_owner;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    QString m_label;
    int m_showDelay = 500;
    bool m_running = false;
    bool m_cancellable = false;
    bool m_cancelled = false;
};

}  // namespace quillon
