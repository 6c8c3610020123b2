#pragma once
/// The popup-slider button of CNumericEdit: a drop-down arrow that shows itself pressed while
/// the popup is open.

#include "gui/common/CHoverButton.h"

namespace quillon {

class CMyButton : public CHoverButton {
    Q_OBJECT
public:
    explicit CMyButton(QWidget* parent);
    void SetPressed(bool pressed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_shownPressed = false;
};

}  // namespace quillon
