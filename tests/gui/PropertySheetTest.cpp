// The log properties sheet: untouched bytes, splits, chassis, defaults, texts, lifetime.

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "gui/common/CMyEdit.h"
#include "gui/common/CNumericEdit.h"
#include "gui/dialogs/CDataLogPropertyPageAmbient.h"
#include "gui/dialogs/CDataLogPropertyPageChassis.h"
#include "gui/dialogs/CDataLogPropertyPageDragRace.h"
#include "gui/dialogs/CDataLogPropertyPageGeneral.h"
#include "gui/dialogs/CDataLogPropertyPageMisc.h"
#include "gui/dialogs/CDataLogPropertySheet.h"
#include "gui/dialogs/CNotesEdit.h"
#include "support/DocumentFixture.h"
#include "support/FileBytes.h"
#include "support/GuiFixtures.h"

using namespace quillon;
using H = DataLogHeader;

class PropertySheetTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    QPointer<CDataLogPropertySheet> m_sheet;
    QPointer<CDataLogPropertySheet> m_comparisonSheet;

    // A sample log whose header the caller may adjust before it is written.
    std::string WriteAdjustedLog(const char* name, const std::function<void(H&)>& adjust = {},
                                 int frames = 200) {
        std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = frames});
        H header;
        std::copy_n(bytes.begin(), H::kSize, header.bytes.begin());
        if (adjust) adjust(header);
        std::copy(header.bytes.begin(), header.bytes.end(), bytes.begin());
        test::WriteBytes(Path(name), bytes);
        return Path(name);
    }
    CDataLogPropertySheet& Open(bool comparison = false) {
        auto* sheet = CDataLogPropertySheet::OpenOrRaise(comparison ? m_comparisonSheet : m_sheet,
                                                         *m_doc, *m_prefs, comparison);
        return *sheet;
    }
    template <class T>
    T& Show(CDataLogPropertySheet& sheet) {
        T* page = sheet.PageOf<T>();
        sheet.Tabs()->setCurrentWidget(page);
        return *page;
    }
    static void Type(CNumericEdit* field, const char* text) {
        field->setFocus();
        QTest::keyClicks(field, text);
        QTest::keyClick(field->EditBox(), Qt::Key_Return);
    }
    // Typed characters, also those without a key of their own.
    static void TypeText(QWidget* widget, const QString& text) {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &press);
        }
    }
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init() { NewDocument(); }
    void cleanup() {
        delete m_sheet;
        delete m_comparisonSheet;
        DeleteDocument();
    }

    void okWithoutEditsSavesTheSameBytes() {
        // More digits than shown, a value below its minimum, a full field, Windows-1252 notes.
        const std::string path = WriteAdjustedLog("digits.dl", [](H& h) {
            h.Set(H::reactionTime, 0.51234567f);
            h.Set(H::speed1320ft, 172.34567f);
            h.Set(H::airTemperature, -12.3456f);
            h.Set(H::windSpeed, 2000000.5f);
            h.Set(H::weightLeftFront, 812.345f);
            std::memcpy(h.bytes.data() + H::tires.offset, "ABCDEFGHIJKLMNOP", 16);
            h.Set(H::notes, "Hot run \xB0 caf\xE9\r\nsecond line \x80");
        });
        // Opening computes the math channels into the file: the first save is the reference.
        QVERIFY(m_doc->OnOpenDocument(path));
        QVERIFY(m_doc->OnSaveDocument(path));
        QVERIFY(m_doc->OnOpenDocument(path));
        CDataLogPropertySheet& sheet = Open();
        for (int i = 0; i < CDataLogPropertySheet::kPageCount; ++i)
            sheet.SetActivePage(i);
        QCOMPARE(m_prompt.questions, 0);  // opening asks nothing, whatever the header holds
        auto& ambient = *sheet.PageOf<CDataLogPropertyPageAmbient>();
        QCOMPARE(ambient.Field(CDataLogPropertyPageAmbient::kAirTemperature)->DisplayText(),
                 QString("-12.3"));
        QCOMPARE(sheet.PageOf<CDataLogPropertyPageChassis>()->Tires()->text(),
                 QString("ABCDEFGHIJKLMNO"));
        QCOMPARE(sheet.PageOf<CDataLogPropertyPageGeneral>()->Notes()->toPlainText(),
                 QString::fromUtf8("Hot run ° café\nsecond line €"));
        sheet.Buttons()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(m_doc->IsModified());
        QVERIFY(m_doc->OnSaveDocument(Path("saved.dl")));
        QVERIFY(test::ReadBytes(Path("saved.dl")) == test::ReadBytes(path));
        Settle();
        QVERIFY(!m_sheet);
    }

    void generalPageAloneChangesOnlyTheNotes() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("notes.dl")));
        const H before = m_doc->Main().header;
        CDataLogPropertySheet& sheet = Open();
        auto& general = Show<CDataLogPropertyPageGeneral>(sheet);
        QVERIFY(!sheet.PageOf<CDataLogPropertyPageChassis>()->IsLoaded());
        QCOMPARE(general.Lines().mid(2, 3),
                 (QStringList{"Log Duration: 1.99 seconds", "Data Points: 200",
                              "Zero Time: 0.00 seconds"}));
        QCOMPARE(
            general.Lines().mid(5),
            (QStringList{"Logfile Version: 0.4", "Date: 20260101", "Firmware Version: 04020011",
                         "ECU ID: 180001", "Global File: C:\\Tunes\\race_car_v3.gbl"}));
        general.Notes()->moveCursor(QTextCursor::End);
        QTest::keyClick(general.Notes(), Qt::Key_Return);
        TypeText(general.Notes(), QString::fromUtf8("±5°Ω"));  // Ω is refused
        QCOMPARE(general.Notes()->RefusedCount(), 1);
        sheet.accept();
        const H& after = m_doc->Main().header;
        const std::string notes = before.Get(H::notes) +
                                  "\r\n\xB1"
                                  "5\xB0";
        QCOMPARE(after.Get(H::notes), notes);
        for (size_t i = 0; i < H::kSize; ++i)
            if (i < H::notes.offset || i > H::notes.offset + notes.size())
                QCOMPARE(after.bytes[i], before.bytes[i]);
    }

    void notesStayWithinTheirBytes() {
        CNotesEdit notes(CDataLogPropertyPageGeneral::kNotesLimit);
        notes.SetAnsiText(std::string(509, 'x'));
        notes.moveCursor(QTextCursor::End);
        QTest::keyClick(&notes, Qt::Key_Return);  // a line break takes two bytes: 511
        QTest::keyClicks(&notes, "y");
        QCOMPARE(notes.RefusedCount(), 1);
        QCOMPARE(notes.AnsiText(), std::string(509, 'x') + "\r\n");
    }

    void splitsFollowTheTimesAtOnce() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("splits.dl", [](H& h) {
            h.Set(H::time60ft, 1.8f);
            h.Set(H::time330ft, 5.0f);
            h.Set(H::time660ft, 8.0f);
        })));
        auto& page = Show<CDataLogPropertyPageDragRace>(Open());
        QCOMPARE(page.SplitText(0), QString("3.200 sec"));
        Type(page.Field(CDataLogPropertyPageDragRace::k330ft), "5.5");
        QCOMPARE(std::pair(page.SplitText(0), page.SplitText(1)),
                 std::pair(QString("3.700 sec"), QString("2.500 sec")));
        QCOMPARE(m_doc->Main().header.Get(H::time330ft), 5.0f);  // nothing before OK
    }

    void chassisSharesAndDefaultsOnTheComparison() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("main.dl")));
        CDataLogPropertySheet& sheet = Open();
        auto& chassis = Show<CDataLogPropertyPageChassis>(sheet);
        using C = CDataLogPropertyPageChassis;
        const int weights[] = {C::kWeightLeftFront, C::kWeightRightFront, C::kWeightLeftRear,
                               C::kWeightRightRear};
        for (int id : weights)
            Type(chassis.Field(id), "0");
        QCOMPARE(chassis.ComputedTexts(),
                 (QStringList{"Total Weight: 0.0", "Front/Rear: 0.0%", "Left/Right: 0.0%"}));
        const char* typed[] = {"800", "750", "700", "650"};
        for (int i = 0; i < 4; ++i)
            Type(chassis.Field(weights[i]), typed[i]);
        QCOMPARE(chassis.ComputedTexts(),
                 (QStringList{"Total Weight: 2900.0", "Front/Rear: 53.4%", "Left/Right: 51.7%"}));
        Type(chassis.Field(C::kWeightLeftFront), "123.456");
        chassis.Tires()->setText("Slicks");
        chassis.SaveDefaults();
        QCOMPARE(m_prefs->ReadText("Datalog-Chassis", "WeightLF", ""), std::string("123.46"));

        // The comparison's sheet is a second, independent window.
        QVERIFY(m_doc->LoadComparison(WriteAdjustedLog("other.dl")));
        CDataLogPropertySheet& other = Open(true);
        QVERIFY(&other != &sheet);
        auto& otherChassis = Show<CDataLogPropertyPageChassis>(other);
        otherChassis.LoadDefaults();
        QCOMPARE(std::pair(otherChassis.Field(C::kWeightLeftFront)->Value(),
                           otherChassis.Tires()->text()),
                 std::pair(double(123.46f), QString("Slicks")));
        const H& header = m_doc->Comparison().header;
        QCOMPARE(header.Get(H::tires), std::string("33x10.5 radial"));
        other.accept();
        QCOMPARE(std::pair(header.Get(H::weightLeftFront), header.Get(H::tires)),
                 std::pair(123.46f, std::string("Slicks")));
        QVERIFY(m_doc->IsComparisonEdited() && !m_doc->IsModified());
    }

    void miscDefaultsRoundTrip() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("misc.dl")));
        CDataLogPropertySheet& sheet = Open();
        sheet.SetActivePage(5);
        auto& misc = *qobject_cast<CDataLogPropertyPageMisc*>(sheet.Page(5));
        QCOMPARE(misc.PageNumber(), 2);
        misc.Parameter(7)->setText(QString::fromUtf8("Jet °"));
        misc.SaveDefaults();
        misc.Parameter(7)->clear();
        misc.LoadDefaults();
        QCOMPARE(std::pair(misc.Parameter(7)->text(), misc.Description()->text()),
                 std::pair(QString::fromUtf8("Jet °"), QString("Fuel")));
        sheet.accept();
        QCOMPARE(m_doc->Main().header.GetAt(H::misc2Parameter, 7), std::string("Jet \xB0"));
    }

    void textsRefuseWhatTheCodePageCannotHold() {
        QVERIFY(m_doc->OnOpenDocument(
            WriteAdjustedLog("ansi.dl", [](H& h) { h.Set(H::dragTrack, "Caf\xE9 \x80 \xB0"); })));
        CDataLogPropertySheet& sheet = Open();
        Show<CDataLogPropertyPageDragRace>(sheet);
        auto* track = sheet.Page(1)->findChildren<QLineEdit*>().value(0);
        QCOMPARE(track->text(), QString::fromUtf8("Café € °"));
        track->setFocus();
        track->end(false);
        TypeText(track, QString::fromUtf8("Ωü"));
        QCOMPARE(track->text(), QString::fromUtf8("Café € °ü"));
        QTest::keyClicks(track, "123456789");  // cut at 19 characters
        sheet.accept();
        QCOMPARE(m_doc->Main().header.Get(H::dragTrack), std::string("Caf\xE9 \x80 \xB0\xFC"
                                                                     "123456789"));
    }

    void outOfRangeValueIsKeptUntilEdited() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("cold.dl", [](H& h) {
            h.Set(H::airTemperature, -8.25f);
            h.Set(H::trackTemperature, -3.5f);
        })));
        auto& page = Show<CDataLogPropertyPageAmbient>(Open());
        using A = CDataLogPropertyPageAmbient;
        Type(page.Field(A::kAirTemperature), "15");
        Type(page.Field(A::kWindSpeed), "2000000");  // typed values get the range question
        QCOMPARE(m_prompt.lastCaption, std::string("Value Too High"));
        QCOMPARE(page.Field(A::kWindSpeed)->Value(), 4.5);  // No keeps the old value
        m_sheet->accept();
        const H& header = m_doc->Main().header;
        QCOMPARE(std::pair(header.Get(H::airTemperature), header.Get(H::trackTemperature)),
                 std::pair(15.0f, -3.5f));
    }

    void oneSheetPerLogAndItsLifetime() {
        QVERIFY(m_doc->OnOpenDocument(WriteAdjustedLog("empty.dl", {}, 0)));
        CDataLogPropertySheet& sheet = Open();
        QCOMPARE(&Open(), &sheet);  // opening again raises the same sheet
        QCOMPARE(Show<CDataLogPropertyPageGeneral>(sheet).Lines()[2],
                 QString("Log Duration: 0.00 seconds"));
        sheet.reject();
        Settle();
        QVERIFY(!m_doc->IsModified() && !m_sheet);

        // A comparison sheet closes with its comparison, applying nothing.
        QVERIFY(m_doc->LoadComparison(WriteAdjustedLog("cmp.dl")));
        Open(true);
        m_doc->CloseComparison();
        Settle();
        QVERIFY(!m_comparisonSheet);
    }

    void menuCommandsOpenOrRaiseAndLogChangesCloseTheSheets() {
        const std::string first = WriteAdjustedLog("first.dl"),
                          second = WriteAdjustedLog("second.dl");
        ScriptedPrompt prompt;
        const auto app = test::StartViewer(*m_dir, prompt, QString::fromStdString(first));
        QVERIFY(app);
        CDataLogFrame& frame = *app->MainFrame();
        QVERIFY(frame.ExecuteCommand(ID_FILE_PROPERTIES));
        CDataLogPropertySheet* sheet = frame.PropertySheet(false);
        QVERIFY(sheet && sheet->isVisible());
        // Another log replaces the one the sheet edits: the sheet goes, unapplied.
        QVERIFY(frame.OpenDocumentFile(QString::fromStdString(second)));
        Settle();
        QVERIFY(!frame.PropertySheet(false) && !app->Doc().IsModified());
    }
};

QTEST_MAIN(PropertySheetTest)
#include "PropertySheetTest.moc"
