#include "gui/app/CDataLogToolbar.h"

#include <algorithm>

#include <QToolButton>

#include "gui/common/CNudgeSpin.h"
#include "gui/app/CToolbarImages.h"

namespace quillon {

CDataLogToolbar::CDataLogToolbar(std::vector<Item> items, QWidget* parent)
    : QToolBar(QStringLiteral("Toolbar"), parent) {
    setObjectName(QStringLiteral("DataLogToolbar"));
    setIconSize(QSize(CToolbarImages::kWidth, CToolbarImages::kHeight));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.position < b.position; });
    int image = 0;
    int position = 1;
    for (const Item& item : items) {
        for (; position < item.position; ++position)
            addSeparator();
        position = item.position + 1;
        if (!item.action) {
            m_nudgeSpin = new CNudgeSpin(this);
            m_nudgeSpin->setFixedHeight(CToolbarImages::kHeight + 4);
            m_nudgeSpin->setToolTip(item.toolTip);
            m_nudgeSlot = addWidget(m_nudgeSpin);
            m_nudgeSlot->setData(item.id);
            continue;
        }
        item.action->setIcon(CToolbarImages::Icon(image++));
        addAction(item.action);
    }
}

QList<QAction*> CDataLogToolbar::ButtonActions() const {
    QList<QAction*> buttons;
    for (QAction* action : actions())
        if (!action->isSeparator() && action != m_nudgeSlot) buttons.append(action);
    return buttons;
}

}  // namespace quillon
