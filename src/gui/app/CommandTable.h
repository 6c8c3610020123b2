#pragma once
/// The rows of the main window's command table and the rules that enable them. Each command is
/// one row: the frame builds its menus, toolbar, shortcuts and enable states from the rows.

#include <vector>

namespace quillon {

class CDataLogFrame;

/// What the enable rules look at: the document's cursor and the two logs' frame counts.
struct CommandState {
    int currentPoint = -1;  // the document's cursor frame, -1 when none is set
    int frameCount = 0;     // frames of the main log
    bool comparisonLoaded = false;
    int comparisonFrameCount = 0;
    bool cursorOnComparison = false;  // the cursor was set on a comparison curve
    bool cursorB = false;             // the second cursor is set
    bool canUndo = false;             // the document holds a change it can take back
};

enum class EnableRule {
    Always,
    Never,
    ZeroTime,            // a current point inside the log the cursor is on
    StartPoint,          // no comparison, 0 < current point < frame count
    EndPoint,            // no comparison, 0 < current point < frame count - 1
    ComparisonLoaded,    // a comparison log is open
    ComparisonZeroTime,  // a comparison, and a current point inside the log the cursor is on
    LogLoaded,           // a main log with frames is open
    BothCursors,         // a current point and the second cursor
    CanUndo,             // the document can undo its last change
};

bool IsRuleMet(EnableRule rule, const CommandState& state);

/// Where a row's command appears in the menu bar; None for shortcuts and toolbar-only items.
enum class CommandMenu { None, File, Edit, View, Tools, Zoom, Comparison, Help };

/// Commands that are not plain actions calling their handler.
enum class CommandKind {
    Plain,
    ToolbarToggle,     // the toolbar's own show/hide action, its tick follows the toolbar
    StatusBarToggle,   // shows and hides the status bar, its tick follows the status bar
    RecentFiles,       // the place of the recent-file entries in the File menu
    NudgeSpin,         // the toolbar's nudge spin, which reports steps of its own
    OpenPromptToggle,  // whether the open prompt is shown at start-up (a preference)
};

using CommandHandler = void (CDataLogFrame::*)();

struct CommandRow {
    int id = 0;
    CommandMenu menu = CommandMenu::None;
    bool separatorBefore = false;  // a menu separator goes before the item
    const char* text = "";
    const char* shortcut = "";  // in the portable key-sequence notation, "" for none
    int toolbarPosition = 0;    // 1..27 on the toolbar (positions left out are separators)
    const char* tooltip = "";   // shown on the toolbar button; "" shows the text
    const char* statusTip = "";
    /// The command's action. A plain command without a handler is pending: its dialog is not
    /// connected yet, so it is shown disabled.
    CommandHandler handler = nullptr;
    EnableRule rule = EnableRule::Always;
    CommandKind kind = CommandKind::Plain;

    bool IsPending() const { return kind == CommandKind::Plain && handler == nullptr; }
    bool IsEnabled(const CommandState& state) const {
        return !IsPending() && IsRuleMet(rule, state);
    }
};

/// The ids of the rows enabled in a state.
std::vector<int> EnabledCommands(const std::vector<CommandRow>& rows, const CommandState& state);

}  // namespace quillon
