#include "gui/chart/ChartCursorKeys.h"

#include <Qt>

namespace quillon {

std::optional<int> ChartCursorKeys::Target(int key, bool shift, int cursorFrame,
                                           int windowStartFrame, int lastFrame) {
    const int step = shift ? 10 : 1;
    switch (key) {
        case Qt::Key_Left:
            return cursorFrame < 0 ? windowStartFrame : cursorFrame - step;
        case Qt::Key_Right:
            return cursorFrame < 0 ? windowStartFrame : cursorFrame + step;
        case Qt::Key_Home:
            return 0;
        case Qt::Key_End:
            return lastFrame;
        default:
            return std::nullopt;
    }
}

}  // namespace quillon
