// The self-drawn controls: render caching, status lamps and texts, the colour ramp, check box
// state and the background picture.
#include <QSignalSpy>
#include <QtTest>

#include "controls/CBGImage.h"
#include "controls/CButtonViewShift.h"
#include "controls/CGDIPButton.h"
#include "controls/CGDIPCheckbox.h"
#include "controls/CGDIPColorLegend.h"
#include "controls/CGDIPDataMonitorValue.h"
#include "controls/CGDIPGlowLabel.h"
#include "controls/StatusTable.h"

using namespace quillon;

namespace {

QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class CustomControlsTest : public QObject {
    Q_OBJECT
private slots:
    void bufferRendersOnceUntilInvalidated();
    void statusTableAndLampColours();
    void forcedStatusShowsItsText();
    void lampWithoutForcedTextTogglesOnClick();
    void statusBeyondTheTableShowsTheValue();
    void colourRampAndLegend();
    void checkboxKeepsItsOwnState();
    void buttonsReportClicks();
    void backgroundIsArtworkThenBlack();
};

void CustomControlsTest::bufferRendersOnceUntilInvalidated() {
    CGDIPDataMonitorValue display;
    display.resize(120, 20);
    display.SetStatus("1234", 0);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    Grab(&display);
    const int first = display.RenderCount();
    QVERIFY(first >= 1);
    display.repaint();
    Grab(&display);
    QCOMPARE(display.RenderCount(), first);  // painted from the cache

    display.SetStatus("1234", 0);  // nothing changed
    Grab(&display);
    QCOMPARE(display.RenderCount(), first);
    display.SetStatus("1235", 0);
    Grab(&display);
    QCOMPARE(display.RenderCount(), first + 1);
    display.resize(140, 20);
    Grab(&display);
    QCOMPARE(display.RenderCount(), first + 2);

    CGDIPGlowLabel label(nullptr, "Min");
    label.resize(60, 18);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    Grab(&label);
    const int renders = label.RenderCount();
    label.SetText("Min");
    Grab(&label);
    QCOMPARE(label.RenderCount(), renders);
    label.SetText("Max");
    Grab(&label);
    QCOMPARE(label.RenderCount(), renders + 1);
}

void CustomControlsTest::statusTableAndLampColours() {
    QCOMPARE(QString(GetStatusEntry(7).text), QString("Unplugd"));
    QVERIFY(GetStatusEntry(7).forced);
    QCOMPARE(GetStatusEntry(7).lamp, 3);
    QCOMPARE(QString(GetStatusEntry(53).text), QString("Fixed  "));
    QCOMPARE(QString(GetStatusEntry(33).text), QString("Sync'd "));
    for (uint32_t s = 0; s < uint32_t(kStatusEntryCount); ++s)
        QCOMPARE(int(strlen(GetStatusEntry(s).text)), 7);
    QCOMPARE(LampColor(1), QColor(0, 255, 0, 150));
    QCOMPARE(LampColor(2), QColor(255, 255, 0, 150));
    QCOMPARE(LampColor(3), QColor(255, 0, 0, 150));
    QCOMPARE(LampColor(4), QColor(0, 0, 255, 150));
    QCOMPARE(LampColor(5), QColor(150, 150, 150, 150));
}

void CustomControlsTest::forcedStatusShowsItsText() {
    CGDIPDataMonitorValue display;
    display.resize(120, 20);
    display.SetStatus("14.7 A/F", 7);
    QCOMPARE(display.ShownText(), QString("Unplugd"));
    QCOMPARE(display.Lamp(), 3);
    // The lamp is red at alpha 150 over the black background.
    const QImage img = Grab(&display);
    const QColor lamp = img.pixelColor(CGDIPDataMonitorValue::kLampSize / 2, 10);
    QVERIFY2(qAbs(lamp.red() - 150) <= 2 && lamp.green() == 0 && lamp.blue() == 0,
             qPrintable(lamp.name()));

    display.SetStatus("14.7 A/F", 0);  // status 0: the number, no lamp
    QCOMPARE(display.ShownText(), QString("14.7 A/F"));
    QCOMPARE(display.Lamp(), 0);
    QCOMPARE(Grab(&display).pixelColor(CGDIPDataMonitorValue::kLampSize / 2, 10),
             QColor(Qt::black));
}

void CustomControlsTest::lampWithoutForcedTextTogglesOnClick() {
    CGDIPDataMonitorValue display;
    display.resize(120, 20);
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    display.SetStatus("180", 6);  // "Hot!", yellow lamp, value shown
    QCOMPARE(display.ShownText(), QString("180"));
    QTest::mouseClick(&display, Qt::LeftButton);
    QCOMPARE(display.ShownText(), QString("Hot!   "));
    QTest::mouseClick(&display, Qt::LeftButton);
    QCOMPARE(display.ShownText(), QString("180"));

    display.SetStatus("1", 11);  // forced: a click changes nothing
    QTest::mouseClick(&display, Qt::LeftButton);
    QCOMPARE(display.ShownText(), QString("Replace"));
    display.SetStatus("1", 4);  // no lamp: a click changes nothing
    QTest::mouseClick(&display, Qt::LeftButton);
    QCOMPARE(display.ShownText(), QString("1"));
}

void CustomControlsTest::statusBeyondTheTableShowsTheValue() {
    CGDIPDataMonitorValue display;
    display.resize(120, 20);
    for (uint32_t s : {54u, 1000u, uint32_t(-999999), 0xFFFFFFFFu}) {
        display.SetStatus("42", s);
        QCOMPARE(display.ShownText(), QString("42"));
        QCOMPARE(display.Lamp(), 0);
        Grab(&display);
    }
}

void CustomControlsTest::colourRampAndLegend() {
    QCOMPARE(CGDIPColorLegend::RampColor(0), QColor(255, 0, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(1), QColor(255, 13, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(2), QColor(255, 26, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(3), QColor(255, 38, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(5), QColor(255, 64, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(20), QColor(255, 255, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(21), QColor(242, 255, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(40), QColor(0, 255, 0));
    QCOMPARE(CGDIPColorLegend::RampColor(60), QColor(0, 255, 255));
    QCOMPARE(CGDIPColorLegend::RampColor(80), QColor(0, 0, 255));
    QCOMPARE(CGDIPColorLegend::RampColor(100), QColor(255, 0, 255));

    CGDIPColorLegend legend;
    legend.resize(202, 10);  // two pixels per band
    const QImage img = Grab(&legend);
    QCOMPARE(img.pixelColor(0, 5), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(81, 5), CGDIPColorLegend::RampColor(40));
    QCOMPARE(img.pixelColor(201, 5), QColor(255, 0, 255));
}

void CustomControlsTest::checkboxKeepsItsOwnState() {
    CGDIPCheckbox box("Graph");
    box.resize(80, 18);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    bool stateWhenReported = false;
    connect(&box, &QAbstractButton::clicked, this,
            [&] { stateWhenReported = box.GetCheck() == 1; });
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.GetCheck(), 1);
    QVERIFY(stateWhenReported);  // toggled before the click is reported
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.GetCheck(), 0);
    box.SetCheck(2);
    QCOMPARE(box.GetCheck(), 1);
    box.SetCheck(3);
    QCOMPARE(box.GetCheck(), 0);
}

void CustomControlsTest::buttonsReportClicks() {
    CGDIPButton ed("Ed");
    ed.resize(30, 20);
    QSignalSpy spy(&ed, &QAbstractButton::clicked);
    QTest::mouseClick(&ed, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    ed.setEnabled(false);
    QTest::mouseClick(&ed, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    Grab(&ed);

    CButtonViewShift left(CButtonViewShift::kLeft), right(CButtonViewShift::kRight);
    QCOMPARE(left.text(), QString("<"));
    QCOMPARE(right.text(), QString(">"));
    left.resize(left.sizeHint());
    QSignalSpy leftSpy(&left, &QAbstractButton::clicked);
    QTest::mouseClick(&left, Qt::LeftButton);
    QCOMPARE(leftSpy.count(), 1);
    Grab(&left);
}

void CustomControlsTest::backgroundIsArtworkThenBlack() {
    QCOMPARE(CBGImage::Artwork().size(), QSize(1024, 768));
    CBGImage bg;
    bg.resize(1100, 800);
    const QImage img = Grab(&bg);
    QCOMPARE(img.pixelColor(1050, 10), QColor(Qt::black));
    QCOMPARE(img.pixelColor(10, 790), QColor(Qt::black));
    QCOMPARE(img.pixelColor(100, 20), CBGImage::Artwork().pixelColor(100, 20));
}

QTEST_MAIN(CustomControlsTest)
#include "CustomControlsTest.moc"
