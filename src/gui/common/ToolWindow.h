#pragma once
/// The one-per-document tool windows (histogram, scatter plot, runs): shown on demand, brought
/// back when minimised or hidden behind others.

#include <QPointer>
#include <QWidget>

namespace quillon {

/// Shows the window `window` holds, made by `make` when there is none, and brings it forward.
template <class Window, class Make>
Window* ShowToolWindow(QPointer<Window>& window, Make make) {
    if (!window) window = make();
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace quillon
