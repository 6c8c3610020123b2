#include "app/CommandRules.h"

#include "app/CommandIds.h"

namespace quillon {

bool IsCommandPending(int id) {
    switch (id) {
        case ID_FILE_EXPORT:
        case ID_FILE_PROPERTIES:
        case ID_AUTOSET_ZERO_TIME:
        case ID_MATH_CHANNELS:
        case ID_SCATTER_PLOT:
        case ID_VIEW_CONFIGURATION:
        case ID_UPGRADE_LOGFILES:
        case ID_COMPARISON_PROPERTIES:
        case ID_COMPARISON_AUTOSET_ZERO_TIME:
            return true;
        default:
            return false;
    }
}

bool IsCommandEnabled(int id, const CommandState& s) {
    if (IsCommandPending(id)) return false;
    const int cp = s.currentPoint;
    switch (id) {
        // Main-log commands stay within the main log's own frames: with a longer comparison the
        // cursor can stand on filler frames, whose time is the no-value marker.
        case ID_SET_ZERO_TIME:
            return s.zeroTimeCommands && cp >= 0 &&
                   cp < (s.comparisonLoaded && s.cursorOnComparison ? s.comparisonFrameCount
                                                                    : s.frameCount);
        case ID_SET_START_POINT:
            return s.zeroTimeCommands && !s.comparisonLoaded && cp > 0 && cp < s.frameCount;
        case ID_SET_END_POINT:
            return s.zeroTimeCommands && !s.comparisonLoaded && cp > 0 && cp < s.frameCount - 1;
        case ID_ZOOM_IN:
        case ID_ZOOM_OUT:
        case ID_ZOOM_ALL:
        case ID_ZOOM_LAST:
            return s.chartView;
        case ID_UPDATE_STATS:
            return s.valuesView && s.chartView;
        case ID_COMPARE_DATALOG:
            return s.comparisonCommands;
        case ID_CLOSE_COMPARISON:
        case ID_NUDGE_SPIN:
        case ID_NUDGE_LEFT:
        case ID_NUDGE_RIGHT:
            return s.comparisonCommands && s.comparisonLoaded;
        case ID_COMPARISON_SET_ZERO_TIME:
            // The zero time is read from the log the cursor is on: a cursor on the filler frames
            // beyond that log's end would give the no-value marker as a time.
            return s.comparisonCommands && s.comparisonLoaded && cp >= 0 &&
                   cp < (s.cursorOnComparison ? s.comparisonFrameCount : s.frameCount);
        default:
            return true;
    }
}

}  // namespace quillon
