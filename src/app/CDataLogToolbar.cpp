#include "app/CDataLogToolbar.h"

#include <QEvent>
#include <QToolButton>

#include "app/CNudgeSpin.h"
#include "app/CommandIds.h"
#include "app/CToolbarImages.h"

namespace quillon {

const std::array<int, 27> CDataLogToolbar::kItems = {ID_DATALOG_OPEN,
                                                     ID_FILE_SAVE,
                                                     ID_FILE_SAVE_AS,
                                                     ID_FILE_EXPORT,
                                                     ID_FILE_PROPERTIES,
                                                     0,
                                                     ID_AUTOSET_ZERO_TIME,
                                                     ID_SET_ZERO_TIME,
                                                     ID_SET_START_POINT,
                                                     ID_SET_END_POINT,
                                                     0,
                                                     ID_MATH_CHANNELS,
                                                     ID_VIEW_CONFIGURATION,
                                                     ID_SCATTER_PLOT,
                                                     0,
                                                     ID_ZOOM_IN,
                                                     ID_ZOOM_OUT,
                                                     ID_ZOOM_ALL,
                                                     ID_ZOOM_LAST,
                                                     ID_UPDATE_STATS,
                                                     0,
                                                     ID_COMPARE_DATALOG,
                                                     ID_CLOSE_COMPARISON,
                                                     ID_COMPARISON_PROPERTIES,
                                                     ID_COMPARISON_AUTOSET_ZERO_TIME,
                                                     ID_COMPARISON_SET_ZERO_TIME,
                                                     ID_NUDGE_SPIN};

CDataLogToolbar::CDataLogToolbar(const std::function<QAction*(int id)>& actionOf, QWidget* parent)
    : QToolBar(QStringLiteral("Toolbar"), parent) {
    setObjectName(QStringLiteral("DataLogToolbar"));
    setIconSize(QSize(CToolbarImages::kWidth, CToolbarImages::kHeight));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    int image = 0;
    for (int id : kItems) {
        if (id == 0) {
            addSeparator();
        } else if (id == ID_NUDGE_SPIN) {
            m_nudgeSpin = new CNudgeSpin(this);
            m_nudgeSpin->setFixedHeight(CToolbarImages::kHeight + 4);
            m_nudgeSlot = addWidget(m_nudgeSpin);
            m_nudgeSlot->setData(ID_NUDGE_SPIN);
        } else {
            QAction* action = actionOf(id);
            if (!action) continue;
            action->setIcon(CToolbarImages::Icon(image++));
            addAction(action);
            // Only Save and Save As carry a tooltip on the bar; the others show none.
            if (id != ID_FILE_SAVE && id != ID_FILE_SAVE_AS)
                if (QWidget* button = widgetForAction(action)) button->installEventFilter(this);
        }
    }
}

QList<QAction*> CDataLogToolbar::ButtonActions() const {
    QList<QAction*> buttons;
    for (QAction* action : actions())
        if (!action->isSeparator() && action != m_nudgeSlot) buttons.append(action);
    return buttons;
}

bool CDataLogToolbar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) return true;
    return QToolBar::eventFilter(watched, event);
}

}  // namespace quillon
