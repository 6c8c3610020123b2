#pragma once
/// A quick PNG encoder for pictures of the window: Qt's encoder tries every row filter and a
/// middle compression level, which costs more than drawing the window.

#include <QByteArray>

class QImage;

namespace quillon {

/// The image as PNG bytes: 8-bit RGB (RGBA when it has an alpha channel), rows filtered by
/// their left neighbour, deflated at zlib's fastest level. Empty for a null image.
QByteArray EncodePngFast(const QImage& source);

}  // namespace quillon
