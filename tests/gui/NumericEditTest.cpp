// Behaviour of the numeric field: range questions, notifications, typing rules, keys, spin and
// value bar, with scripted answers to its questions.
#include <QSignalSpy>
#include <QtTest>

#include "controls/CMyEdit.h"
#include "controls/CMySpinButtonCtrl.h"
#include "controls/CMyTrackPopup.h"
#include "controls/CNumericEdit.h"
#include "controls/NumericFormat.h"

using namespace quillon;

namespace {

struct ScriptedQuestions {
    QList<bool> answers;  // consumed front first; No when empty
    QStringList captions;
    CNumericEdit::QuestionFunction Function() {
        return [this](QWidget*, const QString& caption, const QString&) {
            captions << caption;
            return answers.isEmpty() ? false : answers.takeFirst();
        };
    }
};

}  // namespace

class NumericEditTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typingAboveMaximumAsksAndNoKeepsTheValue();
    void typingAboveMaximumYesStoresMaximumAndNotifies();
    void valueBelowMinimumAsksTooLow();
    void upAndDownKeysRespectTheRange();
    void sameValueSendsNoNotification();
    void changeGuardIgnoresReentrantSetValue();
    void setRangeClampsSilently();
    void minusAndPointRulesWhileTyping();
    void minusToggleKeepsTheSelection();
    void outOfRangeTextTurnsTheBoxRed();
    void escapeCommitsLikeEnter();
    void valueBarClickAndDrag();
    void dragNotifiesOnlyWithFullNotification();
    void spinStepsAndClampsWithBeep();
    void spinCommitsTypingFirst();
    void getPosTruncatesAndDecimalsFromFormat();
    void popupSliderReportsWhenClosed();
    void readOnlyRefusesUserChanges();
    void nonFiniteValuesNeverEnter();
    void formatDoubleIsSafeAndExact();
    void parseLeadingNumber();

private:
    CNumericEdit* m_edit = nullptr;
    ScriptedQuestions m_questions;
};

void NumericEditTest::init() {
    m_questions = {};
    m_edit = new CNumericEdit(nullptr, 42);
    m_edit->SetQuestionFunction(m_questions.Function());
    m_edit->Setup(13, "%.0f RPM", "%.0f", 0, 100000, 1);
    m_edit->resize(160, 28);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    m_edit->SetValue(false, 500);
}

void NumericEditTest::cleanup() {
    delete m_edit;
    m_edit = nullptr;
}

void NumericEditTest::typingAboveMaximumAsksAndNoKeepsTheValue() {
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_edit->setFocus();
    QTest::keyClicks(m_edit, "100001");
    QVERIFY(m_edit->IsEditing());
    QCOMPARE(m_edit->EditBox()->text(), QString("100001"));  // typing replaced the old value
    m_questions.answers = {false};
    QTest::keyClick(m_edit->EditBox(), Qt::Key_Return);
    QVERIFY(!m_edit->IsEditing());
    QCOMPARE(m_questions.captions, QStringList{"Value Too High"});
    QCOMPARE(m_edit->Value(), 500.0);
    QCOMPARE(spy.count(), 0);
}

void NumericEditTest::typingAboveMaximumYesStoresMaximumAndNotifies() {
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_edit->StartEditing();
    m_edit->EditBox()->selectAll();
    QTest::keyClicks(m_edit->EditBox(), "100001");
    m_questions.answers = {true};
    m_edit->EndEditing();  // what losing the focus does
    QCOMPARE(m_edit->Value(), 100000.0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toInt(), 42);
    QCOMPARE(spy[0][1].toDouble(), 100000.0);
    QCOMPARE(m_edit->DisplayText(), QString("100000 RPM"));
}

void NumericEditTest::valueBelowMinimumAsksTooLow() {
    m_edit->Setup(13, "%.1f", "%.1f", -10, 10, 0.1);
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_questions.answers = {true};
    m_edit->SetValue(false, -11);  // a clamp notifies even without the notify flag
    QCOMPARE(m_questions.captions, QStringList{"Value Too Low"});
    QCOMPARE(m_edit->Value(), -10.0);
    QCOMPARE(spy.count(), 1);
}

void NumericEditTest::upAndDownKeysRespectTheRange() {
    m_edit->Setup(13, "%.0f", "%.0f", 0, 100, 7);
    m_edit->SetValue(false, 100);
    QTest::keyClick(m_edit, Qt::Key_Up);  // at the maximum: nothing, no question
    QCOMPARE(m_edit->Value(), 100.0);
    QVERIFY(m_questions.captions.isEmpty());

    m_edit->SetValue(false, 97);
    m_questions.answers = {false};
    QTest::keyClick(m_edit, Qt::Key_Up);  // 104 overshoots
    QCOMPARE(m_questions.captions, QStringList{"Value Too High"});
    QCOMPARE(m_edit->Value(), 97.0);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QCOMPARE(m_edit->Value(), 90.0);

    m_edit->SetValue(false, 0);
    QTest::keyClick(m_edit, Qt::Key_Down);
    QCOMPARE(m_edit->Value(), 0.0);
    QCOMPARE(m_questions.captions.size(), 1);
}

void NumericEditTest::sameValueSendsNoNotification() {
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_edit->SetValue(true, 500);
    QCOMPARE(spy.count(), 0);
    m_edit->SetValue(false, 600);
    QCOMPARE(spy.count(), 0);
    m_edit->SetPos(700);
    QCOMPARE(spy.count(), 1);
}

void NumericEditTest::changeGuardIgnoresReentrantSetValue() {
    int calls = 0;
    connect(m_edit, &CNumericEdit::nenChanged, this, [&](int, double v) {
        ++calls;
        m_edit->SetValue(true, v + 1);  // a parent reacting by setting the same control
    });
    m_edit->SetPos(10);
    QCOMPARE(calls, 1);
    QCOMPARE(m_edit->Value(), 10.0);
}

void NumericEditTest::setRangeClampsSilently() {
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    QCOMPARE(m_edit->SetRange(0, 200), 200.0);
    QCOMPARE(m_edit->Value(), 200.0);
    QCOMPARE(m_edit->Spin()->Value(), 200.0);
    QVERIFY(m_questions.captions.isEmpty());
    QCOMPARE(spy.count(), 0);
    m_edit->SetRangeMessage(50, 60);
    double lo = 0, hi = 0;
    m_edit->GetRange(&lo, nullptr);
    m_edit->GetRange(nullptr, &hi);
    QCOMPARE(lo, 50.0);
    QCOMPARE(hi, 60.0);
    QCOMPARE(m_edit->Value(), 60.0);
}

void NumericEditTest::minusAndPointRulesWhileTyping() {
    // Minimum 0 and "%.0f": neither a minus sign nor a point is accepted.
    m_edit->StartEditing();
    CMyEdit* box = m_edit->EditBox();
    const QString before = box->text();
    const int beeps = m_edit->BeepCount();
    QTest::keyClick(box, '-');
    QTest::keyClick(box, '.');
    QTest::keyClick(box, 'x');
    QCOMPARE(box->text(), before);
    QCOMPARE(m_edit->BeepCount(), beeps + 3);

    m_edit->EndEditing();
    m_edit->Setup(13, "%.2f", "%.2f", -100, 100, 0.01);
    m_edit->SetValue(false, 1.5);
    m_edit->StartEditing();
    QCOMPARE(box->text(), QString("1.50"));
    QTest::keyClick(box, '.');  // a second point is ignored without a beep
    QCOMPARE(box->text(), QString("1.50"));
    box->selectAll();
    QTest::keyClicks(box, "2.5");  // the selected point is replaced
    QCOMPARE(box->text(), QString("2.5"));
    QTest::keyClick(box, '-');
    QCOMPARE(box->text(), QString("-2.5"));
    QTest::keyClick(box, '+');
    QCOMPARE(box->text(), QString("2.5"));
}

void NumericEditTest::minusToggleKeepsTheSelection() {
    m_edit->Setup(13, "%.0f", "%.0f", -1000, 1000, 1);
    m_edit->SetValue(false, 123);
    m_edit->StartEditing();
    CMyEdit* box = m_edit->EditBox();
    box->setSelection(1, 2);  // "23"
    QTest::keyClick(box, '-');
    QCOMPARE(box->text(), QString("-123"));
    QCOMPARE(box->selectedText(), QString("23"));
    QTest::keyClick(box, '-');
    QCOMPARE(box->text(), QString("123"));
    QCOMPARE(box->selectedText(), QString("23"));
}

void NumericEditTest::outOfRangeTextTurnsTheBoxRed() {
    m_edit->StartEditing();
    CMyEdit* box = m_edit->EditBox();
    box->selectAll();
    QTest::keyClicks(box, "100001");
    QVERIFY(box->IsOutOfRange());
    QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 128, 128));
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(!box->IsOutOfRange());
    QVERIFY(box->palette().color(QPalette::Base) != QColor(255, 128, 128));
}

void NumericEditTest::escapeCommitsLikeEnter() {
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_edit->StartEditing();
    m_edit->EditBox()->selectAll();
    QTest::keyClicks(m_edit->EditBox(), "777");
    QTest::keyClick(m_edit->EditBox(), Qt::Key_Escape);
    QVERIFY(!m_edit->IsEditing());
    QCOMPARE(m_edit->Value(), 777.0);
    QCOMPARE(spy.count(), 1);  // committed once, though hiding the box also moves the focus
}

void NumericEditTest::valueBarClickAndDrag() {
    m_edit->Setup(13, "%.0f", "%.0f", 100, 200, 1);
    const QRect bar = m_edit->BarRect();
    QVERIFY(bar.height() == 3);
    QTest::mousePress(m_edit, Qt::LeftButton, {}, QPoint(bar.left(), bar.center().y()));
    QCOMPARE(m_edit->Value(), 100.0);
    QMouseEvent move(QEvent::MouseMove, QPointF(bar.right() + 50, bar.center().y()),
                     m_edit->mapToGlobal(QPointF(bar.right() + 50, bar.center().y())), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(m_edit, &move);
    QCOMPARE(m_edit->Value(), 200.0);
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    QTest::mouseRelease(m_edit, Qt::LeftButton, {}, QPoint(bar.right(), bar.center().y()));
    QCOMPARE(spy.count(), 1);  // the release always reports
    QVERIFY(m_questions.captions.isEmpty());

    m_edit->SetThickBar();
    QCOMPARE(m_edit->BarRect().height(), 6);
    QCOMPARE(m_edit->TextRect().bottom(), m_edit->BarRect().top() - 2);
}

void NumericEditTest::dragNotifiesOnlyWithFullNotification() {
    m_edit->Setup(CNumericEdit::kBar, "%.0f", "%.0f", 0, 100, 1);
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    const QRect bar = m_edit->BarRect();
    QTest::mousePress(m_edit, Qt::LeftButton, {}, QPoint(bar.left() + 10, bar.center().y()));
    QCOMPARE(spy.count(), 1);  // the press itself notifies
    QMouseEvent move(QEvent::MouseMove, QPointF(bar.center()), m_edit->mapToGlobal(bar.center()),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(m_edit, &move);
    QCOMPARE(spy.count(), 1);  // silent while dragging without bit 0x8
    QTest::mouseRelease(m_edit, Qt::LeftButton, {}, bar.center());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last()[1].toDouble(), m_edit->Value());
}

void NumericEditTest::spinStepsAndClampsWithBeep() {
    m_edit->Setup(13, "%.1f", "%.1f", 0, 1, 0.1);
    m_edit->SetValue(false, 0.9);
    CMySpinButtonCtrl* spin = m_edit->Spin();
    QVERIFY(spin->isVisible());
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 2));  // upper arrow
    QCOMPARE(m_edit->Value(), 0.9 + 0.1);
    const int beeps = m_edit->BeepCount();
    spin->Click(-1);  // above the maximum: clamped with a beep, no question
    QCOMPARE(m_edit->Value(), 1.0);
    QCOMPARE(m_edit->BeepCount(), beeps + 1);
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 2));
    QCOMPARE(m_edit->Value(), 0.9);
    QVERIFY(m_questions.captions.isEmpty());
}

void NumericEditTest::spinCommitsTypingFirst() {
    m_edit->StartEditing();
    m_edit->EditBox()->selectAll();
    QTest::keyClicks(m_edit->EditBox(), "300");
    m_edit->Spin()->Click(-1);
    QVERIFY(!m_edit->IsEditing());
    QCOMPARE(m_edit->Value(), 301.0);
}

void NumericEditTest::getPosTruncatesAndDecimalsFromFormat() {
    m_edit->Setup(13, "%.1f", "%.1f", -10, 10, 0.1);
    m_edit->SetValue(false, -2.7);
    QCOMPARE(m_edit->GetPos(), -2);
    m_edit->SetValue(false, 2.7);
    QCOMPARE(m_edit->GetPos(), 2);
    QCOMPARE(m_edit->Decimals(), 1);
    m_edit->Reconfigure("%.3f sec", "%.3f", -10, 10, 1);
    QCOMPARE(m_edit->Decimals(), 3);
    m_edit->Reconfigure("%5.2f", "%5.2f", -10, 10, 1);  // no digit after "%."
    QCOMPARE(m_edit->Decimals(), 0);
    m_edit->Reconfigure("%f", "%f", -10, 10, 1);
    QCOMPARE(m_edit->Decimals(), 0);
}

void NumericEditTest::popupSliderReportsWhenClosed() {
    m_edit->Setup(CNumericEdit::kPopup | CNumericEdit::kBar, "%.0f", "%.0f", 0, 194, 1);
    QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
    m_edit->ShowPopup();
    CMyTrackPopup* popup = m_edit->Popup();
    QVERIFY(popup);
    QCOMPARE(popup->Scale(), 1.0);  // (200 - 6) pixels over a range of 194
    popup->TrackTo(3 + 97);
    QCOMPARE(m_edit->Value(), 97.0);
    popup->TrackTo(1000);  // held at the end of the slider
    QCOMPARE(m_edit->Value(), 194.0);
    QCOMPARE(spy.count(), 0);  // silent while open without full notification
    popup->Finish();
    QVERIFY(!m_edit->Popup());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][1].toDouble(), 194.0);
    QVERIFY(m_questions.captions.isEmpty());
}

void NumericEditTest::readOnlyRefusesUserChanges() {
    m_edit->SetReadOnly(true);
    QVERIFY(m_edit->GetReadOnly());
    QTest::keyClick(m_edit, Qt::Key_Up);
    m_edit->Spin()->Click(-1);
    QCOMPARE(m_edit->Value(), 500.0);
    m_edit->SetPos(20);  // the program may still set it
    QCOMPARE(m_edit->Value(), 20.0);
}

void NumericEditTest::nonFiniteValuesNeverEnter() {
    m_edit->SetPos(std::numeric_limits<double>::quiet_NaN());
    m_edit->SetPos(std::numeric_limits<double>::infinity());
    QCOMPARE(m_edit->Value(), 500.0);
    m_edit->Setup(13, "%.0f", "%.0f", 5, 5, 1);  // an empty range: the bar has no scale
    QCOMPARE(m_edit->BarScale(), 0.0);
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, m_edit->BarRect().center());
    QCOMPARE(m_edit->Value(), 5.0);
}

void NumericEditTest::formatDoubleIsSafeAndExact() {
    QCOMPARE(FormatDouble("%.0f", 1234.4), QString("1234"));
    QCOMPARE(FormatDouble("%.2f msec", 1.234), QString("1.23 msec"));
    QCOMPARE(FormatDouble("%.1f%%", 12.34), QString("12.3%"));
    QCOMPARE(FormatDouble("%.1f", -0.04), QString("-0.0"));
    QCOMPARE(FormatDouble("%.3f", 2.0005), QString("2.001"));  // 2.0005 is stored above .0005
    QCOMPARE(FormatDouble("%6.1f|%-6.1f|%+.0f", 3.14), QString("   3.1|%-6.1f|%+.0f"));
    QCOMPARE(FormatDouble("%05.1f", -2.5), QString("-02.5"));
    QCOMPARE(FormatDouble("%d", -2.7), QString("-2"));
    QCOMPARE(FormatDouble("%f", 1.5), QString("1.500000"));
    QCOMPARE(FormatDouble("%g", 0.0001), QString("0.0001"));
    // Directives that would read a missing argument are printed as they stand.
    QCOMPARE(FormatDouble("%s %n %*d", 1.0), QString("%s %n %*d"));
    QCOMPARE(FormatDouble("100%", 1.0), QString("100%"));
    QCOMPARE(FormatDouble(FromAnsi("%.1f\xB0"), 5.0), QString::fromUtf8("5.0\u00B0"));
    QCOMPARE(FormatDouble("%.99999f", 1.0).size(), 42);  // precision capped
}

void NumericEditTest::parseLeadingNumber() {
    QCOMPARE(ParseLeadingNumber("12.5abc"), 12.5);
    QCOMPARE(ParseLeadingNumber("-3"), -3.0);
    QCOMPARE(ParseLeadingNumber("-"), 0.0);
    QCOMPARE(ParseLeadingNumber(""), 0.0);
    QCOMPARE(ParseLeadingNumber(".5"), 0.5);
    QCOMPARE(ParseLeadingNumber("1e3x"), 1000.0);
    QCOMPARE(ParseLeadingNumber("2e"), 2.0);
    QCOMPARE(ToAnsi(FromAnsi("a\x80\xB0")), std::string("a\x80\xB0"));
}

QTEST_MAIN(NumericEditTest)
#include "NumericEditTest.moc"
