#include "gui/dialogs/CListBoxDLView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>

#include "gui/dialogs/GraphSetupModel.h"

namespace quillon {

CListBoxDLView::CListBoxDLView(const CDataLogDoc& doc, GraphSetupModel& model, int view,
                               QWidget* parent)
    : CChannelListBase(doc, kItemHeight, parent), m_model(model), m_view(view) {
    setMouseTracking(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int k = 0; k < kViewEntryCount; ++k)
        new QListWidgetItem(QString(), this);
    Refresh();
}

void CListBoxDLView::Refresh() {
    for (int k = 0; k < kViewEntryCount; ++k)
        item(k)->setData(Qt::UserRole, m_model.Channel(m_view, k));
    viewport()->update();
}

void CListBoxDLView::StartDrag(int row) {
    const uint32_t channel = ChannelAt(row);
    if (channel == 0) return;
    setCurrentRow(row);
    m_model.BeginDrag(m_view, row);
    const Qt::DropAction effect = RunDrag(channel, Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    const bool emptied = m_model.EndDrag(effect == Qt::MoveAction ? GraphSetupModel::Effect::Move
                                                                  : GraphSetupModel::Effect::None);
    Refresh();
    if (emptied) emit slotsChanged();
}

Qt::DropAction CListBoxDLView::Decide(const QMimeData* data, const QPoint& position) {
    uint32_t channel = 0;
    if (!DecodeChannel(data, channel)) return Qt::IgnoreAction;
    const int slot = RowAt(position);
    const char* refusal = m_model.RefusalReason(m_view, slot, channel);
    emit dropNote(QString::fromLatin1(refusal ? refusal : ""));
    switch (m_model.DragOver(m_view, slot, channel)) {
        case GraphSetupModel::Effect::Copy:
            setCurrentRow(slot);
            return Qt::CopyAction;
        case GraphSetupModel::Effect::Move:
            setCurrentRow(slot);
            return Qt::MoveAction;
        default:
            return Qt::IgnoreAction;
    }
}

// The enter event is accepted whenever the data carries a channel, so that the list keeps
// receiving move events; each move then decides for the slot under the mouse.
void CListBoxDLView::dragEnterEvent(QDragEnterEvent* event) {
    if (!HasChannel(event->mimeData())) return event->ignore();
    const Qt::DropAction action = Decide(event->mimeData(), event->position().toPoint());
    event->setDropAction(action == Qt::IgnoreAction ? Qt::MoveAction : action);
    event->accept();
}

void CListBoxDLView::dragMoveEvent(QDragMoveEvent* event) {
    const Qt::DropAction action = Decide(event->mimeData(), event->position().toPoint());
    if (action == Qt::IgnoreAction) return event->ignore();
    event->setDropAction(action);
    event->accept();
}

// The note stays after the mouse leaves: a refused drop ends with a leave event, and its reason
// should remain readable.
void CListBoxDLView::dragLeaveEvent(QDragLeaveEvent* event) {
    setCurrentIndex(QModelIndex());
    viewport()->update();
    event->accept();
}

void CListBoxDLView::dropEvent(QDropEvent* event) {
    uint32_t channel = 0;
    const int slot = RowAt(event->position().toPoint());
    const GraphSetupModel::Effect effect = DecodeChannel(event->mimeData(), channel)
                                               ? m_model.DragOver(m_view, slot, channel)
                                               : GraphSetupModel::Effect::None;
    if (effect == GraphSetupModel::Effect::None || !m_model.Drop(m_view, slot, channel))
        return event->ignore();
    emit dropNote(QString());
    event->setDropAction(effect == GraphSetupModel::Effect::Copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    Refresh();
    emit slotsChanged();
}

void CListBoxDLView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        if (currentRow() >= 0) {
            m_model.Clear(m_view, currentRow());
            Refresh();
            emit slotsChanged();
        }
        return event->accept();
    }
    CChannelListBase::keyPressEvent(event);
}

void CListBoxDLView::mouseMoveEvent(QMouseEvent* event) {
    const bool filled = ChannelAt(RowAt(event->position().toPoint())) != 0;
    if (filled)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    CChannelListBase::mouseMoveEvent(event);
}

void CListBoxDLView::leaveEvent(QEvent* event) {
    viewport()->unsetCursor();
    CChannelListBase::leaveEvent(event);
}

}  // namespace quillon
