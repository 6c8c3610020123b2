#pragma once
/// The keys that move the chart's cursor: Left and Right step one frame (ten with Shift), Home
/// and End jump to the first and last frame of the cursor's log.

#include <optional>

namespace quillon {

class ChartCursorKeys {
public:
    /// The frame a key moves the cursor to, not yet clamped to the log; none for other keys.
    /// Without a cursor (cursorFrame < 0) Left and Right land on windowStartFrame, the frame at
    /// the window's left edge.
    static std::optional<int> Target(int key, bool shift, int cursorFrame, int windowStartFrame,
                                     int lastFrame);
};

}  // namespace quillon
