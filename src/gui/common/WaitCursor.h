#pragma once
/// The wait cursor over the whole application for the life of the object (long work on the
/// interface thread). Nested ones stack.

#include <QGuiApplication>

namespace quillon {

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace quillon
