#pragma once
/// One view's sixteen slots in the graph setup dialog. Channels arrive by drag and drop from the
/// channel list or another view, move between slots by dragging inside the list, and leave by
/// dragging them out or pressing Delete.

#include "gui/dialogs/CChannelListBase.h"

namespace quillon {

class GraphSetupModel;

class CListBoxDLView : public CChannelListBase {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 14;

    CListBoxDLView(const CDataLogDoc& doc, GraphSetupModel& model, int view,
                   QWidget* parent = nullptr);
    int View() const { return m_view; }
    /// Takes the slots' channels from the model.
    void Refresh();

signals:
    /// A drop, a drag out of the list or Delete changed the slots.
    void slotsChanged();
    /// While a channel is dragged over the list: why it cannot be dropped there, "" when it can
    /// (and after a drop).
    void dropNote(const QString& note);

protected:
    void StartDrag(int row) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    /// The drop effect at a viewport position; the caret follows an allowed slot.
    Qt::DropAction Decide(const QMimeData* data, const QPoint& position);

    GraphSetupModel& m_model;
    int m_view;
};

}  // namespace quillon
