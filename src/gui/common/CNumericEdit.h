#pragma once
/// The numeric field of every dialog that edits a number: one double kept inside a range, shown
/// with a display format, typed in place, stepped by keys or spin, set by a value bar or a popup
/// slider; every change is reported with nenChanged.

#include <QRect>
#include <QString>
#include <QWidget>

namespace quillon {

class CMyButton;
class CMyEdit;
class CMySpinButtonCtrl;
class CMyTrackPopup;
class IPrompt;

class CNumericEdit : public QWidget {
    Q_OBJECT
public:
    /// Style bits passed to Setup.
    enum Style {
        kSpin = 0x1,       // spin column on the right edge
        kPopup = 0x2,      // popup-slider button column on the right edge
        kBar = 0x4,        // value bar along the bottom edge
        kNotifyAll = 0x8,  // report changes also while the bar is dragged or the popup is open
    };
    static const char* const kTooLowCaption;
    static const char* const kTooLowText;
    static const char* const kTooHighCaption;
    static const char* const kTooHighText;

    /// Out-of-range values are questioned through `prompt`.
    explicit CNumericEdit(IPrompt& prompt, QWidget* parent = nullptr, int id = 0);
    ~CNumericEdit() override;

    void Setup(int style, const QString& displayFormat, const QString& editFormat, double minimum,
               double maximum, double step);
    void Reconfigure(const QString& displayFormat, const QString& editFormat, double minimum,
                     double maximum, double step);
    /// The one way the value changes: range question, store, repaint, notification.
    void SetValue(bool notify, double value);
    /// Shows a value read from a file as it is, even outside the range, without a question or a
    /// notification; the range applies to what the user enters afterwards. Non-finite values are
    /// ignored.
    void ShowStoredValue(double value);
    /// Stores a new range and clamps the value into it without asking; returns the value.
    double SetRange(double minimum, double maximum);
    void SetThickBar();

    // The control's requests (NEM_*).
    int GetPos() const;         // the value truncated toward zero
    void SetPos(double value);  // SetValue with notification
    void GetRange(double* minimum, double* maximum) const;
    void SetRangeMessage(uint32_t minimum, int32_t maximum);
    bool GetReadOnly() const;
    void SetReadOnly(bool readOnly);
    void ShowPopup();
    void PopupStateChange(bool open);

    double Value() const { return m_value; }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }
    double Step() const { return m_step; }
    int Decimals() const { return m_decimals; }
    int ControlStyle() const { return m_style; }
    int BarHeight() const { return m_barHeight; }
    int Id() const { return m_id; }
    void SetId(int id) { m_id = id; }
    const QString& DisplayFormat() const { return m_displayFormat; }
    const QString& EditFormat() const { return m_editFormat; }
    QString DisplayText() const;
    /// The display text does not fit the field: it is drawn elided, its tooltip shows it whole.
    bool IsTextCut() const;
    QRect BarRect() const { return m_barRect; }
    QRect TextRect() const { return m_textRect; }
    double BarScale() const { return m_barScale; }

    // In-place editing.
    void StartEditing();
    void EndEditing();
    bool IsEditing() const;
    CMyEdit* EditBox() const { return m_edit; }
    CMySpinButtonCtrl* Spin() const { return m_spin; }
    CMyTrackPopup* Popup() const { return m_popup; }

    /// Signals a refused input; counted so that callers and tests can see it.
    void Beep();
    int BeepCount() const { return m_beeps; }

    QSize sizeHint() const override;

signals:
    /// NEN_CHANGED: the control's id and its new value.
    void nenChanged(int id, double value);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CMyEdit;
    friend class CMySpinButtonCtrl;
    void Layout();
    QString DrawnText() const;
    void StoreFormats(const QString& displayFormat, const QString& editFormat);
    bool Ask(const QString& caption, const QString& text);
    double ValueAtBarX(int x) const;
    bool StepKey(int key);
    void SpinClicked(int delta);

    double m_minimum = -9999999;
    double m_maximum = 9999999;
    double m_value = 0;
    double m_step = 1;
    QRect m_barRect;
    QRect m_textRect;
    double m_barScale = 0;
    bool m_popupOrDrag = false;
    bool m_changeGuard = false;
    bool m_dragging = false;
    bool m_focused = false;
    QString m_displayFormat = QStringLiteral("%.0f RPM");
    QString m_editFormat = QStringLiteral("%.0f");
    int m_decimals = 0;
    int m_barHeight = 3;
    int m_style = 0;
    IPrompt& m_prompt;
    int m_id = 0;
    bool m_readOnly = false;
    bool m_endingEdit = false;
    int m_beeps = 0;
    CMyButton* m_button = nullptr;
    CMySpinButtonCtrl* m_spin = nullptr;
    CMyEdit* m_edit = nullptr;
    CMyTrackPopup* m_popup = nullptr;
};

}  // namespace quillon
