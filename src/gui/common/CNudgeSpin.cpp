#include "gui/common/CNudgeSpin.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace quillon {

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& tip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setAutoRepeat(true);
    button->setToolTip(tip);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

}  // namespace

CNudgeSpin::CNudgeSpin(QWidget* parent)
    : QWidget(parent),
      m_left(
          ArrowButton(Qt::LeftArrow, QStringLiteral("Nudge the comparison 0.1 s earlier"), this)),
      m_right(
          ArrowButton(Qt::RightArrow, QStringLiteral("Nudge the comparison 0.1 s later"), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->setSpacing(0);
    layout->addWidget(m_left);
    layout->addWidget(m_right);
    setFixedWidth(50);
    connect(m_left, &QToolButton::clicked, this, [this] { emit deltaPos(+1); });
    connect(m_right, &QToolButton::clicked, this, [this] { emit deltaPos(-1); });
}

}  // namespace quillon
