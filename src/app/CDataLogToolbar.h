#pragma once
/// The main window's toolbar: 22 command buttons of 32 x 30 in the fixed order, separators, and
/// the nudge spin in the slot of command 32941.

#include <array>
#include <functional>

#include <QToolBar>

namespace quillon {

class CNudgeSpin;

class CDataLogToolbar : public QToolBar {
    Q_OBJECT
public:
    /// The 27 items in order: command ids, 0 for a separator, 32941 for the spin's slot.
    static const std::array<int, 27> kItems;

    /// Fills the bar with the actions that `actionOf` gives for the items' ids.
    CDataLogToolbar(const std::function<QAction*(int id)>& actionOf, QWidget* parent = nullptr);

    CNudgeSpin* NudgeSpin() const { return m_nudgeSpin; }
    /// The spin's slot (a widget action carrying id 32941).
    QAction* NudgeSlot() const { return m_nudgeSlot; }
    /// Button actions in order (22).
    QList<QAction*> ButtonActions() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CNudgeSpin* m_nudgeSpin = nullptr;
    QAction* m_nudgeSlot = nullptr;
};

}  // namespace quillon
