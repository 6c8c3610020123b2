// The self-drawn controls: status lamps and texts, ramp, check box.

#include "gui/common/CGDIPColorLegend.h"
#include "gui/common/CGDIPCheckbox.h"
#include "gui/common/CGDIPDataMonitorValue.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "gui/common/StatusTable.h"

using namespace quillon;

namespace {

QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void Show(QWidget* w, int width, int height) {
    w->resize(width, height);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

}  // namespace

class CustomControlsTest : public QObject {
    Q_OBJECT
private slots:
    void statusTextsAndLamps() {
        QCOMPARE(std::pair(QString(GetStatusEntry(53).text), QString(GetStatusEntry(33).text)),
                 std::pair(QString("Fixed  "), QString("Sync'd ")));
        for (uint32_t s = 0; s < uint32_t(kStatusEntryCount); ++s)
            QCOMPARE(int(strlen(GetStatusEntry(s).text)), 7);

        CGDIPDataMonitorValue display;
        Show(&display, 120, 20);
        // Forced status 7: "Unplugd" and a red lamp at alpha 150 over the black background.
        display.SetStatus("14.7 A/F", 7);
        QVERIFY(display.ShownText() == "Unplugd" && display.Lamp() == 3);
        const QColor lamp = Grab(&display).pixelColor(CGDIPDataMonitorValue::kLampSize / 2, 10);
        QVERIFY2(qAbs(lamp.red() - 150) <= 2 && lamp.green() == 0 && lamp.blue() == 0,
                 qPrintable(lamp.name()));
        display.SetStatus("14.7 A/F", 0);  // status 0: the number, no lamp
        QCOMPARE(display.ShownText(), QString("14.7 A/F"));
        QCOMPARE(Grab(&display).pixelColor(CGDIPDataMonitorValue::kLampSize / 2, 10),
                 QColor(Qt::black));

        // A lamp without forced text toggles between value and status text on a click.
        display.SetStatus("180", 6);  // "Hot!", yellow lamp, value shown
        for (const char* text : {"180", "Hot!   ", "180"}) {
            QCOMPARE(display.ShownText(), QString(text));
            QTest::mouseClick(&display, Qt::LeftButton);
        }
        display.SetStatus("1", 11);  // forced: a click changes nothing
        QTest::mouseClick(&display, Qt::LeftButton);
        QCOMPARE(display.ShownText(), QString("Replace"));
        display.SetStatus("1", 4);  // no lamp: a click changes nothing
        QTest::mouseClick(&display, Qt::LeftButton);
        QCOMPARE(display.ShownText(), QString("1"));

        // Status beyond the table: the value, no lamp, no out-of-range read.
        for (uint32_t s : {54u, 1000u, uint32_t(-999999), 0xFFFFFFFFu}) {
            display.SetStatus("42", s);
            QVERIFY(display.ShownText() == "42" && display.Lamp() == 0);
            Grab(&display);
        }
    }

    void legendDrawsTheRamp() {  // the ramp's colours: ScatterPlotTest
        CGDIPColorLegend legend;
        legend.resize(202, 10);  // two pixels per band
        const QImage img = Grab(&legend);
        QCOMPARE(std::pair(img.pixelColor(0, 5), img.pixelColor(201, 5)),
                 std::pair(QColor(255, 0, 0), QColor(255, 0, 255)));
    }

    void buttonsAndCheckBox() {
        CGDIPCheckbox box("Graph");
        box.SetCheck(2);  // stored ticks of 1 and 2 are checked, others not
        const int two = box.GetCheck();
        box.SetCheck(3);
        QCOMPARE(std::pair(two, box.GetCheck()), std::pair(1, 0));
    }
};

QTEST_MAIN(CustomControlsTest)
#include "CustomControlsTest.moc"
