#pragma once
/// When each menu, toolbar and accelerator command is enabled: the command table's rules, as a
/// plain function of the document's state so that they can be checked without a window.

namespace quillon {

struct CommandState {
    int currentPoint = -1;  // the document's cursor frame, -1 when none is set
    int frameCount = 0;     // frames of the main log
    bool comparisonLoaded = false;
    int comparisonFrameCount = 0;
    bool cursorOnComparison = false;  // the cursor was set on a comparison curve
    bool chartView = false;           // the strip chart pane exists
    bool valuesView = false;          // the values pane exists
    bool comparisonCommands = false;  // the document can load, re-time and close a comparison
    bool zeroTimeCommands = false;    // the document can set zero time, start and end points
};

bool IsCommandEnabled(int id, const CommandState& state);

/// True for the commands whose dialogs are not part of this build yet (shown disabled).
bool IsCommandPending(int id);

}  // namespace quillon
