#pragma once
/// The spin column of CNumericEdit: each click steps from its own copy of the value, clamps to
/// the range with a beep and hands the result to the owner.

#include <QTimer>
#include <QWidget>

namespace quillon {

class CNumericEdit;

class CMySpinButtonCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CMySpinButtonCtrl(CNumericEdit* owner);

    void SetRange(double minimum, double maximum);
    void SetStep(double step) { m_step = step; }
    void SetValue(double value) { m_value = value; }
    double Value() const { return m_value; }
    /// One click: delta -1 is the upper arrow (raises the value), +1 the lower arrow.
    void Click(int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double m_minimum = -9999999;
    double m_maximum = 9999999;
    double m_step = 1;
    double m_value = 0;
    int m_pressed = 0;  // delta of the arrow held down, 0 for none
    QTimer m_repeat;
    CNumericEdit* m_owner;
};

}  // namespace quillon
