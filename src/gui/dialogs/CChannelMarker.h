#pragma once
/// The 16 x 16 marker that the channel lists draw before a channel that a formula uses or a view
/// shows, painted by code so that it stays sharp at every device pixel ratio.

#include <QPixmap>

namespace quillon {

class CChannelMarker {
public:
    static constexpr int kSize = 16;
    /// The marker for a device pixel ratio (1x, 2x, ...): kSize x kSize logical pixels.
    static QPixmap Pixmap(qreal devicePixelRatio);
};

}  // namespace quillon
