#pragma once
/// A drop-down of the channels a log has, by display name, each item carrying its channel
/// number: the channel choice of the scatter plot and histogram windows, filter channel included.

#include <QComboBox>

namespace quillon {

struct LogData;

class CChannelPicker : public QComboBox {
    Q_OBJECT
public:
    /// What the picker shows when the wanted channel is not among the log's.
    enum class Missing { NoSelection, FirstItem };

    explicit CChannelPicker(QWidget* parent);

    /// Lists every available channel of the log in ascending order, after a "(none)" item
    /// (channel 0) when `withNone`, and selects `channel`. Emits nothing.
    void Fill(const LogData& log, int channel, bool withNone = false,
              Missing missing = Missing::NoSelection);
    /// The selected channel number; 0 for "(none)" or no selection.
    int Channel() const { return currentData().toInt(); }

signals:
    /// The user picked a channel.
    void channelPicked(int channel);
};

}  // namespace quillon
