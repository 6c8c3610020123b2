// The numeric field: range questions, notifications, typing, keys, spin and value bar.

#include "gui/common/CMyEdit.h"
#include "gui/common/CMySpinButtonCtrl.h"
#include "gui/common/CMyTrackPopup.h"
#include "gui/common/CNumericEdit.h"
#include "gui/common/NumericFormat.h"
#include "support/ScriptedPrompt.h"

using namespace quillon;

class NumericEditTest : public QObject {
    Q_OBJECT

    CNumericEdit* m_edit = nullptr;
    ScriptedPrompt m_prompt;  // answers No when nothing is queued
    QStringList Captions() const {
        QStringList captions;
        for (const auto& asked : m_prompt.asked)
            captions << QString::fromStdString(asked.caption);
        return captions;
    }
    void Answer(bool yes) { m_prompt.QueueAnswer(yes ? PromptAnswer::Yes : PromptAnswer::No); }

    CMyEdit* Type(const QString& text) {
        m_edit->StartEditing();
        m_edit->EditBox()->selectAll();
        QTest::keyClicks(m_edit->EditBox(), text);
        return m_edit->EditBox();
    }
    void MoveWithButton(const QPointF& p) {
        QMouseEvent move(QEvent::MouseMove, p, m_edit->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(m_edit, &move);
    }

private slots:
    void init() {
        m_prompt = ScriptedPrompt(PromptAnswer::No);
        m_edit = new CNumericEdit(m_prompt, nullptr, 42);
        m_edit->Setup(13, "%.0f RPM", "%.0f", 0, 100000, 1);
        m_edit->resize(160, 28);
        m_edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_edit));
        m_edit->SetValue(false, 500);
    }

    void cleanup() {
        delete m_edit;
        m_edit = nullptr;
    }

    void outOfRangeValuesAsk() {
        QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
        m_edit->setFocus();
        QTest::keyClicks(m_edit, "100001");
        QVERIFY(m_edit->IsEditing());
        QCOMPARE(m_edit->EditBox()->text(), QString("100001"));  // typing replaced the old value
        Answer(false);
        QTest::keyClick(m_edit->EditBox(), Qt::Key_Return);
        QVERIFY(!m_edit->IsEditing());
        QCOMPARE(Captions(), QStringList{"Value Too High"});
        QCOMPARE(m_edit->Value(), 500.0);
        QCOMPARE(spy.count(), 0);
        // Yes stores the maximum and notifies.
        Type("100001");
        Answer(true);
        m_edit->EndEditing();  // what losing the focus does
        QCOMPARE(
            std::tuple(int(spy.count()), spy[0][0].toInt(), spy[0][1].toDouble(), m_edit->Value()),
            std::tuple(1, 42, 100000.0, 100000.0));
        QCOMPARE(m_edit->DisplayText(), QString("100000 RPM"));

        m_edit->Setup(13, "%.1f", "%.1f", -10, 10, 0.1);
        Answer(true);
        m_edit->SetValue(false, -11);  // a clamp notifies even without the notify flag
        QCOMPARE(Captions().last(), QString("Value Too Low"));
        QCOMPARE(std::pair(m_edit->Value(), int(spy.count())), std::pair(-10.0, 2));

        // Keys: nothing at the ends, a question when a step overshoots.
        m_prompt.asked.clear();
        m_edit->Setup(13, "%.0f", "%.0f", 0, 100, 7);
        m_edit->SetValue(false, 100);
        QTest::keyClick(m_edit, Qt::Key_Up);
        QVERIFY(m_edit->Value() == 100.0 && Captions().isEmpty());
        m_edit->SetValue(false, 97);
        Answer(false);
        QTest::keyClick(m_edit, Qt::Key_Up);  // 104 overshoots
        QCOMPARE(std::pair(Captions(), m_edit->Value()),
                 std::pair(QStringList{"Value Too High"}, 97.0));
        QTest::keyClick(m_edit, Qt::Key_Down);
        QCOMPARE(m_edit->Value(), 90.0);
        m_edit->SetValue(false, 0);
        QTest::keyClick(m_edit, Qt::Key_Down);
        QCOMPARE(m_edit->Value(), 0.0);
        QCOMPARE(Captions().size(), 1);
    }

    void notifications() {
        QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
        m_edit->SetValue(true, 500);  // the same value
        m_edit->SetValue(false, 600);
        QCOMPARE(spy.count(), 0);
        m_edit->SetPos(700);
        QCOMPARE(spy.count(), 1);

        // Setting the range clamps silently.
        QCOMPARE(m_edit->SetRange(0, 200), 200.0);
        QCOMPARE(std::pair(m_edit->Value(), m_edit->Spin()->Value()), std::pair(200.0, 200.0));
        QVERIFY(Captions().isEmpty() && spy.count() == 1);
        m_edit->SetRangeMessage(50, 60);
        QCOMPARE(m_edit->Value(), 60.0);

        // A parent reacting by setting the same control is not re-entered.
        int calls = 0;
        connect(m_edit, &CNumericEdit::nenChanged, this, [&](int, double v) {
            ++calls;
            m_edit->SetValue(true, v + 1);
        });
        m_edit->SetPos(55);
        QCOMPARE(std::pair(calls, m_edit->Value()), std::pair(1, 55.0));
    }

    void typingRules() {
        // Minimum 0 and "%.0f": neither a minus sign nor a point is accepted.
        m_edit->StartEditing();
        CMyEdit* box = m_edit->EditBox();
        const QString before = box->text();
        const int beeps = m_edit->BeepCount();
        for (char c : {'-', '.', 'x'})
            QTest::keyClick(box, c);
        QCOMPARE(box->text(), before);
        QCOMPARE(m_edit->BeepCount(), beeps + 3);
        // Out-of-range text turns the box red.
        Type("100001");
        QVERIFY(box->IsOutOfRange());
        QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 128, 128));
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(!box->IsOutOfRange());
        QVERIFY(box->palette().color(QPalette::Base) != QColor(255, 128, 128));
        m_edit->EndEditing();

        m_edit->Setup(13, "%.2f", "%.2f", -100, 100, 0.01);
        m_edit->SetValue(false, 1.5);
        m_edit->StartEditing();
        QCOMPARE(box->text(), QString("1.50"));
        QTest::keyClick(box, '.');  // a second point is ignored without a beep
        QCOMPARE(box->text(), QString("1.50"));
        box->selectAll();
        QTest::keyClicks(box, "12.5");  // the selected point is replaced
        box->setSelection(1, 2);        // "2."
        // The minus sign toggles at the front and keeps the selection; plus removes it.
        const char* after[] = {"-12.5", "12.5", "-12.5"};
        for (int k = 0; k < 3; ++k) {
            QTest::keyClick(box, "-+-"[k]);
            QCOMPARE(box->text(), QString(after[k]));
        }
        QCOMPARE(box->selectedText(), QString("2."));
        // Escape commits like Enter, once, though hiding the box also moves the focus.
        QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!m_edit->IsEditing());
        QCOMPARE(std::pair(m_edit->Value(), int(spy.count())), std::pair(-12.5, 1));
    }

    void valueBarClickAndDrag() {
        m_edit->Setup(13, "%.0f", "%.0f", 100, 200, 1);
        QRect bar = m_edit->BarRect();
        QTest::mousePress(m_edit, Qt::LeftButton, {}, QPoint(bar.left(), bar.center().y()));
        QCOMPARE(m_edit->Value(), 100.0);
        MoveWithButton(QPointF(bar.right() + 50, bar.center().y()));
        QCOMPARE(m_edit->Value(), 200.0);
        QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
        QTest::mouseRelease(m_edit, Qt::LeftButton, {}, QPoint(bar.right(), bar.center().y()));
        QVERIFY(spy.count() == 1 && Captions().isEmpty());  // the release always reports

        // Without full notification (bit 0x8) the press and release report, the drag does not.
        m_edit->Setup(CNumericEdit::kBar, "%.0f", "%.0f", 0, 100, 1);
        spy.clear();
        bar = m_edit->BarRect();
        QTest::mousePress(m_edit, Qt::LeftButton, {}, QPoint(bar.left() + 10, bar.center().y()));
        QCOMPARE(spy.count(), 1);
        MoveWithButton(QPointF(bar.center()));
        QCOMPARE(spy.count(), 1);
        QTest::mouseRelease(m_edit, Qt::LeftButton, {}, bar.center());
        QCOMPARE(std::pair(int(spy.count()), spy.last()[1].toDouble()),
                 std::pair(2, m_edit->Value()));
    }

    void spinStepsAndClampsWithBeep() {
        Type("300");
        m_edit->Spin()->Click(-1);  // commits the typing first
        QVERIFY(!m_edit->IsEditing());
        QCOMPARE(m_edit->Value(), 301.0);

        m_edit->Setup(13, "%.1f", "%.1f", 0, 1, 0.1);
        m_edit->SetValue(false, 0.9);
        CMySpinButtonCtrl* spin = m_edit->Spin();
        QVERIFY(spin->isVisible());
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 2));  // upper arrow
        QCOMPARE(m_edit->Value(), 0.9 + 0.1);
        const int beeps = m_edit->BeepCount();
        spin->Click(-1);  // above the maximum: clamped with a beep, no question
        QCOMPARE(std::pair(m_edit->Value(), m_edit->BeepCount()), std::pair(1.0, beeps + 1));
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 2));
        QCOMPARE(m_edit->Value(), 0.9);
        QVERIFY(Captions().isEmpty());
    }

    void popupSliderReportsWhenClosed() {
        m_edit->Setup(CNumericEdit::kPopup | CNumericEdit::kBar, "%.0f", "%.0f", 0, 194, 1);
        QSignalSpy spy(m_edit, &CNumericEdit::nenChanged);
        m_edit->ShowPopup();
        CMyTrackPopup* popup = m_edit->Popup();
        QVERIFY(popup);
        QCOMPARE(popup->Scale(), 1.0);  // (200 - 6) pixels over a range of 194
        popup->TrackTo(3 + 97);
        QCOMPARE(m_edit->Value(), 97.0);
        popup->TrackTo(1000);  // held at the end of the slider
        QCOMPARE(std::pair(m_edit->Value(), int(spy.count())),
                 std::pair(194.0, 0));  // silent while open
        popup->Finish();
        QVERIFY(!m_edit->Popup() && Captions().isEmpty());
        QCOMPARE(std::pair(int(spy.count()), spy[0][1].toDouble()), std::pair(1, 194.0));
    }

    void readOnlyAndNonFiniteValues() {
        m_edit->SetReadOnly(true);
        QTest::keyClick(m_edit, Qt::Key_Up);
        m_edit->Spin()->Click(-1);
        QCOMPARE(m_edit->Value(), 500.0);
        m_edit->SetPos(20);  // the program may still set it
        QCOMPARE(m_edit->Value(), 20.0);
        m_edit->SetReadOnly(false);

        m_edit->SetPos(std::numeric_limits<double>::quiet_NaN());
        m_edit->SetPos(std::numeric_limits<double>::infinity());
        QCOMPARE(m_edit->Value(), 20.0);
        m_edit->Setup(13, "%.0f", "%.0f", 5, 5, 1);  // an empty range: the bar has no scale
        QTest::mouseClick(m_edit, Qt::LeftButton, {}, m_edit->BarRect().center());
        QCOMPARE(std::pair(m_edit->BarScale(), m_edit->Value()), std::pair(0.0, 5.0));
    }

    void formatNumbers() {
        const std::tuple<const char*, double, const char*> cases[] = {
            {"%.2f msec", 1.234, "1.23 msec"},
            {"%.1f%%", 12.34, "12.3%"},
            // A value printed as zero is shown unsigned; anything else keeps its sign.
            {"%.1f", -0.04, "0.0"},
            {"%.0f%%", -0.3, "0%"},
            {"%.2e", -0.0, "0.00e+00"},
            {"%.2f", -0.006, "-0.01"},
            {"%.3f", 2.0005, "2.001"},  // 2.0005 is stored above .0005
            {"%05.1f", -2.5, "-02.5"},
            {"%d", -2.7, "-2"},
            // Directives that would read a missing argument are printed as they stand.
            {"%6.1f|%-6.1f|%+.0f", 3.14, "   3.1|%-6.1f|%+.0f"},
            {"%s %n %*d", 1.0, "%s %n %*d"},
        };
        for (const auto& [format, value, text] : cases)
            QVERIFY2(FormatDouble(QString::fromLatin1(format), value) == QString::fromLatin1(text),
                     format);
    }

    void parseLeadingNumbersAndSingleByteUnits() {
        const std::pair<const char*, double> parsed[] = {
            {"12.5abc", 12.5}, {"-3", -3},     {"-", 0}, {"", 0},
            {".5", 0.5},       {"1e3x", 1000}, {"2e", 2}};
        for (const auto& [text, value] : parsed)
            QCOMPARE(ParseLeadingNumber(QString::fromLatin1(text)), value);
        QCOMPARE(FormatDouble(FromAnsi("%.1f\xB0"), 5.0), QString::fromUtf8("5.0\u00B0"));
        QCOMPARE(FormatDouble("%.99999f", 1.0).size(), 42);  // precision capped
        QCOMPARE(ToAnsi(FromAnsi("a\x80\xB0")), std::string("a\x80\xB0"));
    }
};

QTEST_MAIN(NumericEditTest)
#include "NumericEditTest.moc"
