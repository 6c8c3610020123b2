#pragma once
/// Asks for the size of an exported chart picture: width and height in logical pixels, and for
/// PNG the pixel ratio (2 gives an image of twice the width and height, as on a high-density
/// screen).

#include <QDialog>
#include <QSize>

class QDoubleSpinBox;
class QSpinBox;

namespace quillon {

class CDlgPictureSize : public QDialog {
    Q_OBJECT

public:
    CDlgPictureSize(const QSize& size, qreal pixelRatio, bool askRatio, QWidget* parent = nullptr);

    QSize PictureSize() const;
    qreal PixelRatio() const;

private:
    QSpinBox* m_width;
    QSpinBox* m_height;
    QDoubleSpinBox* m_ratio;
};

}  // namespace quillon
