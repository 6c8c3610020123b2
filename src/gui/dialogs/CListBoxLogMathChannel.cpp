#include "gui/dialogs/CListBoxLogMathChannel.h"

#include "gui/dialogs/CChannelMarker.h"

namespace quillon {

CListBoxLogMathChannel::CListBoxLogMathChannel(const CDataLogDoc& doc, QWidget* parent)
    : CChannelListBase(doc, CChannelMarker::kSize, parent) {
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    SetMultiColumn();
    for (int i = 0; i < 440; ++i) {
        auto* it = new QListWidgetItem(QStringLiteral("Channel %1").arg(i), this);
        it->setData(Qt::UserRole, uint32_t(i + 1));
    }
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* it) {
        emit channelDoubleClicked(int(it->data(Qt::UserRole).toUInt()));
    });
}

}  // namespace quillon
