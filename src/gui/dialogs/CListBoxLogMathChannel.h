#pragma once
/// The channel list of the math channel setup dialog: all 440 channels in columns, marked when a
/// formula uses them; a double click asks for a reference to the channel.

#include "gui/dialogs/CChannelListBase.h"

namespace quillon {

class CListBoxLogMathChannel : public CChannelListBase {
    Q_OBJECT
public:
    explicit CListBoxLogMathChannel(const CDataLogDoc& doc, QWidget* parent = nullptr);

signals:
    void channelDoubleClicked(int channel);

protected:
    void StartDrag(int) override {}
};

}  // namespace quillon
