#pragma once
/// The popup slider of CNumericEdit: a small window whose horizontal mouse position sets the
/// owner's value until the button is released.

#include <QWidget>

namespace quillon {

class CNumericEdit;

class CMyTrackPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 200;

    CMyTrackPopup(CNumericEdit* owner, double minimum, double maximum, double value);

    /// Opens at the given global point (already shifted so that the value lies under the mouse).
    void Open(const QPoint& topLeft);
    double Scale() const { return m_scale; }
    double Value() const { return m_value; }
    /// The slider's pixel offset of a value, as placing the popup needs it.
    int OffsetOf(double value) const;
    /// What the mouse does at x (popup coordinates): sets the owner's value.
    void TrackTo(int x);
    /// Ends tracking: tells the owner and closes.
    void Finish();
    /// Forgets the owner (which is going away) so that closing reports nothing.
    void Detach() { m_finished = true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    double m_minimum;
    double m_maximum;
    double m_value;
    CNumericEdit* m_owner;
    double m_scale;
    bool m_finished = false;
};

}  // namespace quillon
