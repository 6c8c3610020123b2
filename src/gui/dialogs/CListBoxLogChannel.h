#pragma once
/// The channel list of the graph setup dialog: all 440 channels in columns, marked when a view
/// shows them. Channels are dragged from it into the view lists, and a channel dragged back onto
/// it leaves its view.

#include "gui/dialogs/CChannelListBase.h"

namespace quillon {

class GraphSetupModel;

class CListBoxLogChannel : public CChannelListBase {
    Q_OBJECT
public:
    CListBoxLogChannel(const CDataLogDoc& doc, GraphSetupModel& model, QWidget* parent = nullptr);

signals:
    /// A drag that started or ended here changed the views.
    void slotsChanged();

protected:
    void StartDrag(int row) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    GraphSetupModel& m_model;
};

}  // namespace quillon
