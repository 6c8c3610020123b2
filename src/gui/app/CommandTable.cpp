#include "gui/app/CommandTable.h"

namespace quillon {

namespace {

// Main-log commands stay within the frames of the log the cursor is on: with logs of different
// lengths the cursor can stand on filler frames, whose time is the no-value marker.
bool CursorInsideItsLog(const CommandState& s) {
    const int frames =
        s.comparisonLoaded && s.cursorOnComparison ? s.comparisonFrameCount : s.frameCount;
    return s.currentPoint >= 0 && s.currentPoint < frames;
}

}  // namespace

bool IsRuleMet(EnableRule rule, const CommandState& s) {
    const int cp = s.currentPoint;
    switch (rule) {
        case EnableRule::Always:
            return true;
        case EnableRule::Never:
            return false;
        case EnableRule::ZeroTime:
            return CursorInsideItsLog(s);
        case EnableRule::StartPoint:
            return !s.comparisonLoaded && cp > 0 && cp < s.frameCount;
        case EnableRule::EndPoint:
            return !s.comparisonLoaded && cp > 0 && cp < s.frameCount - 1;
        case EnableRule::ComparisonLoaded:
            return s.comparisonLoaded;
        case EnableRule::ComparisonZeroTime:
            return s.comparisonLoaded && CursorInsideItsLog(s);
        case EnableRule::LogLoaded:
            return s.frameCount > 0;
        case EnableRule::BothCursors:
            return s.cursorB && CursorInsideItsLog(s);
        case EnableRule::CanUndo:
            return s.canUndo;
    }
    return false;
}

std::vector<int> EnabledCommands(const std::vector<CommandRow>& rows, const CommandState& state) {
    std::vector<int> ids;
    for (const CommandRow& row : rows)
        if (row.IsEnabled(state)) ids.push_back(row.id);
    return ids;
}

}  // namespace quillon
