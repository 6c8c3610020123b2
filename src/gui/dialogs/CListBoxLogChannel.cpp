#include "gui/dialogs/CListBoxLogChannel.h"

#include <QDragEnterEvent>
#include <QDropEvent>

#include "gui/dialogs/CChannelMarker.h"
#include "gui/dialogs/GraphSetupModel.h"

namespace quillon {

CListBoxLogChannel::CListBoxLogChannel(const CDataLogDoc& doc, GraphSetupModel& model,
                                       QWidget* parent)
    : CChannelListBase(doc, CChannelMarker::kSize, parent), m_model(model) {
    SetMultiColumn();
    for (int i = 0; i < 440; ++i) {
        auto* it = new QListWidgetItem(QStringLiteral("Channel %1").arg(i), this);
        it->setData(Qt::UserRole, uint32_t(i + 1));
    }
    isMarked = [this](uint32_t channel) { return m_model.IsPlaced(channel); };
}

void CListBoxLogChannel::StartDrag(int row) {
    const uint32_t channel = ChannelAt(row);
    if (channel == 0) return;
    m_model.BeginDrag(GraphSetupModel::kNoView, -1);
    const Qt::DropAction effect = RunDrag(channel, Qt::MoveAction, Qt::MoveAction);
    m_model.EndDrag(effect == Qt::MoveAction ? GraphSetupModel::Effect::Move
                                             : GraphSetupModel::Effect::None);
    viewport()->update();
}

// A channel dropped here is taken out of the view it came from: the drag's source empties its
// slot when it sees the move.
void CListBoxLogChannel::dragEnterEvent(QDragEnterEvent* event) {
    if (!HasChannel(event->mimeData())) return event->ignore();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CListBoxLogChannel::dragMoveEvent(QDragMoveEvent* event) {
    if (!HasChannel(event->mimeData())) return event->ignore();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CListBoxLogChannel::dropEvent(QDropEvent* event) {
    if (!HasChannel(event->mimeData())) return event->ignore();
    event->setDropAction(Qt::MoveAction);
    event->accept();
    viewport()->update();
}

}  // namespace quillon
