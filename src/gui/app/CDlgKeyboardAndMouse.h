#pragma once
/// Help > Keyboard and Mouse: every shortcut of the command table and the keys and mouse actions
/// of the chart, the values pane and the scatter plot, in one window.

#include <vector>

#include <QDialog>
#include <QString>

#include "gui/app/CommandTable.h"

namespace quillon {

class CDlgKeyboardAndMouse : public QDialog {
    Q_OBJECT
public:
    /// One line of the list: the keys or the mouse action, and what it does.
    struct Entry {
        QString group;
        QString input;
        QString action;
    };

    /// The shortcuts are read from `commands`, so the list follows the table.
    explicit CDlgKeyboardAndMouse(const std::vector<CommandRow>& commands,
                                  QWidget* parent = nullptr);

    /// The lines in their order: the table's shortcuts first, then the fixed keys and mouse
    /// actions of the panes.
    static std::vector<Entry> Entries(const std::vector<CommandRow>& commands);
};

}  // namespace quillon
