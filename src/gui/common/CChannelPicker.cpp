#include "gui/common/CChannelPicker.h"

#include <algorithm>

#include <QSignalBlocker>

#include "gui/common/AnsiText.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "model/LogData.h"
#include "format/DataLogFrame.h"

namespace quillon {

CChannelPicker::CChannelPicker(QWidget* parent) : QComboBox(parent) {
    // Wide enough for most names whatever is selected, and a long list without scrolling much.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(14);
    setMaxVisibleItems(24);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) emit channelPicked(Channel());
    });
}

void CChannelPicker::Fill(const LogData& log, int channel, bool withNone, Missing missing) {
    const QSignalBlocker quiet(this);
    clear();
    if (withNone) addItem(QStringLiteral("(none)"), 0);
    for (int c = 1; c <= kSlotCount; ++c)
        if (IsChannelAvailable(log, c)) addItem(FromAnsi(GetChannelName(log.config, c)), c);
    const int index = findData(channel);
    setCurrentIndex(missing == Missing::FirstItem ? std::max(index, 0) : index);
}

}  // namespace quillon
