#pragma once
/// The main window's toolbar: 22 command buttons of 32 x 30 at their positions, separators in the
/// positions between them, and the nudge spin in the slot of command 32941.

#include <vector>

#include <QString>
#include <QToolBar>

namespace quillon {

class CNudgeSpin;

class CDataLogToolbar : public QToolBar {
    Q_OBJECT
public:
    /// One item at a position 1..kPositions; an item without an action is the nudge spin's slot.
    struct Item {
        int position = 0;
        int id = 0;
        QAction* action = nullptr;
        QString toolTip;  // the nudge spin's; a button shows its action's
    };
    static constexpr int kPositions = 27;

    /// Fills the bar in position order; positions without an item become separators. Button k
    /// (counting buttons only) shows image k.
    explicit CDataLogToolbar(std::vector<Item> items, QWidget* parent = nullptr);

    CNudgeSpin* NudgeSpin() const { return m_nudgeSpin; }
    /// The spin's slot (a widget action carrying id 32941).
    QAction* NudgeSlot() const { return m_nudgeSlot; }
    /// Button actions in order (22).
    QList<QAction*> ButtonActions() const;

private:
    CNudgeSpin* m_nudgeSpin = nullptr;
    QAction* m_nudgeSlot = nullptr;
};

}  // namespace quillon
