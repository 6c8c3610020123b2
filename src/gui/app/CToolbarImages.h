#pragma once
/// The toolbar's button images (32 x 30 each, in button order), drawn with QPainter at run time
/// so that they stay sharp at any device pixel ratio.

#include <QIcon>
#include <QPixmap>

namespace quillon {

class CToolbarImages {
public:
    static constexpr int kWidth = 32;
    static constexpr int kHeight = 30;
    static constexpr int kCount = 22;

    /// Image k (0-based button index) at the given device pixel ratio; empty outside 0..21.
    static QPixmap Image(int k, qreal devicePixelRatio = 1.0);
    /// Image k at 1x and 2x.
    static QIcon Icon(int k);
    /// All images side by side on one strip (kCount x 32 wide, 30 high).
    static QPixmap Strip(qreal devicePixelRatio = 1.0);
    /// The application's window icon.
    static QIcon AppIcon();
};

}  // namespace quillon
