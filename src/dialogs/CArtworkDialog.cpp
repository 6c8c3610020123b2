#include "dialogs/CArtworkDialog.h"

#include <QKeyEvent>
#include <QPainter>

#include "controls/CBGImage.h"

namespace quillon {

void CArtworkDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return event->accept();
    }
    QDialog::keyPressEvent(event);
}

void CArtworkDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(0, 0, CBGImage::Artwork());
}

}  // namespace quillon
