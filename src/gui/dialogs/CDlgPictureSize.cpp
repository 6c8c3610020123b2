#include "gui/dialogs/CDlgPictureSize.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

namespace quillon {

namespace {

// Large enough for a poster, small enough that a PNG of it still fits in memory.
constexpr int kMinimumSide = 50;
constexpr int kMaximumSide = 8000;

}  // namespace

CDlgPictureSize::CDlgPictureSize(const QSize& size, qreal pixelRatio, bool askRatio,
                                 QWidget* parent)
    : QDialog(parent),
      m_width(new QSpinBox(this)),
      m_height(new QSpinBox(this)),
      m_ratio(new QDoubleSpinBox(this)) {
    setWindowTitle(QStringLiteral("Picture Size"));
    auto* form = new QFormLayout(this);
    for (QSpinBox* box : {m_width, m_height}) {
        box->setRange(kMinimumSide, kMaximumSide);
        box->setSuffix(QStringLiteral(" px"));
    }
    m_width->setValue(size.width());
    m_height->setValue(size.height());
    m_ratio->setRange(0.5, 4.0);
    m_ratio->setSingleStep(0.5);
    m_ratio->setDecimals(2);
    m_ratio->setValue(pixelRatio);
    form->addRow(QStringLiteral("&Width:"), m_width);
    form->addRow(QStringLiteral("&Height:"), m_height);
    if (askRatio)
        form->addRow(QStringLiteral("&Pixel ratio:"), m_ratio);
    else
        m_ratio->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

QSize CDlgPictureSize::PictureSize() const {
    return {m_width->value(), m_height->value()};
}

qreal CDlgPictureSize::PixelRatio() const {
    return m_ratio->value();
}

}  // namespace quillon
