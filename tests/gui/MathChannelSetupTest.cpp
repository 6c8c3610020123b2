// Math channel setup: the formula field's mapping and edits, the dialog, OK and File flows.

#include <fstream>

#include "settings/GraphConfigurationFile.h"
#include "model/ChannelNaming.h"
#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"
#include "gui/dialogs/CEditFormula.h"
#include "gui/dialogs/CListBoxLogMathChannel.h"
#include "support/DocumentFixture.h"

using namespace quillon;
using test::HintSpy;

namespace {

constexpr int kRpm = 2;
constexpr int kMap = 29;

std::string TestName(int channel) {
    if (channel == 2) return "RPM";
    if (channel == 29) return "MAP";
    if (channel == 5) return "A";
    if (channel == 7) return std::string(30, 'L');
    return "Ch" + std::to_string(channel);
}

/// An edit of the formula field and what it leaves.
struct EditCase {
    const char* name;
    const char* formula;
    int start, end;  // shown selection; start == end is the caret
    const char* op;  // "c<ch>", "t<ch>" typed, "r<n>", "bs", "left", "right", "click"
    const char* expected;
    int caret;  // shown caret after the edit (selection end for "click")
    bool done;
};

}  // namespace

class MathChannelSetupTest : public QObject, test::DocumentFixture {
    Q_OBJECT

    CDlgDataLogMathChannelSetup* m_dlg = nullptr;

    void DoubleClickChannel(int channel) {
        CListBoxLogMathChannel* list = m_dlg->ChannelList();
        QListWidgetItem* item = list->item(channel - 1);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    void Click(const char* key) {
        QAbstractButton* b = m_dlg->Button(QString::fromLatin1(key));
        QVERIFY2(b, key);
        QTest::mouseClick(b, Qt::LeftButton);
    }

private slots:
    void init() {
        NewDocument();
        QVERIFY(m_doc->OnOpenDocument(WriteLog("main.dl", 300)));
        m_dlg = new CDlgDataLogMathChannelSetup(*m_doc, *m_prefs, m_prompt,
                                                m_prefs->GetLastDataLogConfig());
        m_dlg->SetDefinitions(m_doc->Config().math);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    }

    void cleanup() {
        delete m_dlg;
        DeleteDocument();
    }

    void mappingBetweenShownAndStored() {
        FormulaEditModel m(TestName);
        m.SetFormula("[002]/[029]+[5]");
        QCOMPARE(m.Shown(), std::string("[RPM]/[MAP]+[A]"));
        // Shown position, and the stored one as a range start and as a range end.
        const int cases[][3] = {{0, 0, 0},  {1, 0, 5},    {4, 0, 5},    {5, 5, 5},    {6, 6, 6},
                                {8, 6, 11}, {11, 11, 11}, {12, 12, 12}, {13, 12, 15}, {15, 15, 15}};
        for (const auto& c : cases)
            QCOMPARE(std::pair(m.ToFormula(c[0], false), m.ToFormula(c[0], true)),
                     std::pair(c[1], c[2]));
        QCOMPARE(std::tuple(m.ToShown(3, false), m.ToShown(3, true), m.ToShown(6, false)),
                 std::tuple(0, 5, 6));
        // A bracket without digits and a closing bracket is plain text.
        m.SetFormula("[12+[]");
        QCOMPARE(m.Shown(), std::string("[12+[]"));
    }

    void editsNeverCutAReference_data() {
        QTest::addColumn<EditCase>("c");
        static const std::string full(250, '1');  // the rows keep its text
        const EditCase cases[] = {
            {"char over a reference", "[002]+3", 0, 5, "c7", "7+3", 1, true},
            {"char over a range inside refs", "[002]+[029]", 2, 8, "c1", "1", 1, true},
            {"reference over a selection", "1+2", 0, 1, "r29", "[029]+2", 5, true},
            {"reference outside 1..440", "1", 1, 1, "r441", "1", 1, false},
            {"backspace behind a reference", "[002]/[029]", 11, 11, "bs", "[002]/", 6, true},
            {"backspace inside a reference", "[002]5", 3, 3, "bs", "5", 0, true},
            {"backspace at the start", "[002]", 0, 0, "bs", "[002]", 0, false},
            {"backspace of a range ending inside", "1+[002]", 1, 4, "bs", "1", 1, true},
            {"left skips a reference", "[002]+1", 5, 5, "left", "[002]+1", 0, true},
            {"right skips a reference", "1[002]", 1, 1, "right", "1[002]", 6, true},
            {"click inside selects it", "[002]+1", 2, 2, "click", "[002]+1", 5, true},
            {"stored limit refuses a reference", full.c_str(), 250, 250, "r2", full.c_str(), 250,
             false},
            {"stored limit: 254 pass", "", 0, 0, "fill254", "", 254, true},
            {"stored limit: 255th refused", "", 0, 0, "fill255", "", 254, false},
            {"typed limit counts shown text", "[007][007][007][007][007][007][007][007]", 256, 256,
             "t1", "[007][007][007][007][007][007][007][007]", 256, false},
            {"keypad ignores the typed limit", "[007][007][007][007][007][007][007][007]", 256, 256,
             "c1", "[007][007][007][007][007][007][007][007]1", 257, true},
        };
        for (const EditCase& c : cases)
            QTest::newRow(c.name) << c;
    }

    void editsNeverCutAReference() {
        QFETCH(EditCase, c);
        FormulaEditModel m(TestName);
        m.SetFormula(c.formula);
        m.SetSelection(c.start, c.end, c.end);
        const std::string op = c.op;
        bool done = true;
        std::string expected = c.expected;
        if (op == "bs") {
            done = m.Backspace();
        } else if (op == "left") {
            m.MoveLeft();
        } else if (op == "right") {
            m.MoveRight();
        } else if (op == "click") {
            m.ClickSelection(c.start, c.end);
            QCOMPARE(m.SelectionStart(), 0);
        } else if (op.rfind("fill", 0) == 0) {
            const int count = op == "fill254" ? 254 : 255;
            for (int i = 0; i < count; ++i)
                done = m.InsertChar('9');
            expected = std::string(254, '9');
        } else if (op[0] == 'r') {
            done = m.InsertReference(std::stoi(op.substr(1)));
        } else {
            done = m.InsertChar(op[1], op[0] == 't');
        }
        QCOMPARE(done, c.done);
        QCOMPARE(m.Formula(), expected);
        QCOMPARE(m.Caret(), c.caret);
        QVERIFY(int(m.Formula().size()) <= FormulaEditModel::kMaxFormula);
    }

    void buildRpmOverMapAndApply() {
        CEditFormula* field = m_dlg->FormulaField(0);
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(m_dlg->ActiveField(), field);
        DoubleClickChannel(kRpm);
        Click("/");
        DoubleClickChannel(kMap);
        QCOMPARE(QString::fromStdString(field->Formula()), QString("[002]/[029]"));
        const std::string rpm = GetChannelName(m_doc->Main().config, kRpm);
        const std::string map = GetChannelName(m_doc->Main().config, kMap);
        QCOMPARE(field->text().toStdString(), "[" + rpm + "]/[" + map + "]");
        QVERIFY(m_dlg->IsReferenced(kRpm) && m_dlg->IsReferenced(kMap));
        QVERIFY(!m_dlg->IsModified());  // formula changes alone
        // Typed keys: others than accepted ones dropped; Backspace takes a whole reference.
        QTest::keyClicks(field, "a*2");
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->Formula(), std::string("[002]/"));
        QVERIFY(!m_dlg->IsReferenced(kMap));
        DoubleClickChannel(kMap);
        QTest::keyClicks(m_dlg->NameField(0), "Ratio");
        QVERIFY(m_dlg->IsModified());

        // The whole command: OK asks to save (answer No), then the document gets the channel.
        HintSpy spy;
        m_doc->AddView(&spy);
        test::OnNextDialog<CDlgDataLogMathChannelSetup>([](CDlgDataLogMathChannelSetup& dlg) {
            dlg.FormulaField(0)->SetFormula("[002]/[029]");
            QTest::keyClicks(dlg.NameField(0), "Ratio");
            dlg.OnOK();
        });
        QVERIFY(CDlgDataLogMathChannelSetup::Run(*m_doc, *m_prefs, m_prompt, nullptr));
        m_doc->RemoveView(&spy);
        QCOMPARE(m_prompt.lastCaption, std::string("Data Log Config"));
        QCOMPARE(spy.hints, std::vector<DocumentChange>{DocumentChange::ShownDataChanged});
        const MathChannelDefinition& d = m_doc->Config().math[0];
        QCOMPARE(std::string(d.formula), std::string("[002]/[029]"));
        QCOMPARE(std::string(d.name), GetChannelName(m_doc->Main().config, 369));
        QCOMPARE(std::string(d.name), std::string("Ratio"));
    }

    void okFlows() {
        // Invalid: the message, the field red, the dialog still open.
        m_dlg->FormulaField(2)->SetFormula("[002]+-[003]");
        m_dlg->OnOK();
        QCOMPARE(m_prompt.lastCaption, std::string("Bad Formula"));
        QCOMPARE(m_prompt.lastText, std::string("Some formula are not valid, please correct."));
        QVERIFY(m_dlg->isVisible() && !m_dlg->FormulaField(2)->IsValid());
        QCOMPARE(m_dlg->FormulaField(2)->palette().color(QPalette::Base), QColor(255, 0, 0));
        // A corrected formula closes without the save question; a name without formula passes.
        m_dlg->FormulaField(2)->SetFormula("[002]+(-[003])");
        m_dlg->NameField(4)->setText("NoFormula");
        const int questions = m_prompt.questions;
        QTest::keyClick(m_dlg->FormulaField(2), Qt::Key_Return);
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(m_prompt.questions, questions);
        QCOMPARE(std::string(m_dlg->Definitions()[2].formula), std::string("[002]+(-[003])"));
        QCOMPARE(std::string(m_dlg->Definitions()[4].name), std::string("NoFormula"));
        QCOMPARE(m_prefs->GetLastDataLogConfig(), m_dlg->ConfigPath());
    }

    void nameChangeAsksAndSaves() {
        QTest::keyClicks(m_dlg->NameField(0), "A name longer than seventeen");
        m_dlg->FormulaField(0)->SetFormula("1");
        m_prompt.QueueAnswer(PromptAnswer::Yes);
        m_dlg->OnOK();
        QCOMPARE(m_prompt.lastText, std::string(CDlgDataLogMathChannelSetup::kSaveText));
        GraphConfiguration saved;
        QVERIFY(ReadGraphConfigurationFile(m_dlg->ConfigPath(), saved));
        QCOMPARE(std::pair(std::string(saved.math[0].name), std::string(saved.math[0].formula)),
                 std::pair(std::string("A name longer tha"), std::string("1")));
        QCOMPARE(std::string(m_dlg->Definitions()[0].name), saved.math[0].name);
    }

    void cancelAndEscapeCopyNothing() {
        m_dlg->FormulaField(0)->SetFormula("1");
        QTest::keyClicks(m_dlg->NameField(0), "x");
        QTest::keyClick(m_dlg->NameField(0), Qt::Key_Escape);
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QCOMPARE(m_prompt.questions, 0);
        QVERIFY(std::string(m_doc->Config().math[0].name).empty());
    }

    void fileMenu() {
        // A short file fills the blocks as far as it reaches, without a message.
        GraphConfiguration source = DefaultGraphConfiguration();
        std::strcpy(source.math[0].name, "Short");
        const GraphConfigurationBytes bytes = SerializeGraphConfiguration(source);
        const std::string shortPath = Path("short.graph");
        {
            std::ofstream out(shortPath, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      std::streamsize(GraphConfiguration::kViewsSize +
                                      GraphConfiguration::kAxesSize + 100));
        }
        m_dlg->NameField(1)->setText("kept");
        m_prompt.QueueFile(shortPath);
        m_dlg->OpenAction()->trigger();
        QCOMPARE(m_prompt.messages, 0);
        QCOMPARE(m_dlg->NameField(0)->text(), QString("Short"));
        QVERIFY(m_dlg->ConfigPath() == shortPath && !m_dlg->IsModified());

        // A missing file: the message, nothing changed.
        m_prompt.QueueFile(Path("missing.graph"));
        m_dlg->OpenAction()->trigger();
        QCOMPARE(m_prompt.lastText, std::string("There was an error opening the file"));
        QCOMPARE(m_dlg->ConfigPath(), shortPath);

        // Unsaved changes and Cancel to the save question: the dialog stays as it was.
        QTest::keyClicks(m_dlg->NameField(0), "X");
        m_prompt.QueueFile(Path("other.graph"));
        m_prompt.QueueAnswer(PromptAnswer::Cancel);
        m_dlg->OpenAction()->trigger();
        QCOMPARE(m_dlg->NameField(0)->text(), QString("ShortX"));
        QVERIFY(m_dlg->IsModified());

        // Save As adds the extension; a missing folder fails, keeping the path and the flag.
        m_prompt.QueueFile(Path("saved"));
        m_dlg->SaveAsAction()->trigger();
        QCOMPARE(m_dlg->ConfigPath(), Path("saved.graph"));
        GraphConfiguration saved;
        QVERIFY(ReadGraphConfigurationFile(Path("saved.graph"), saved));
        QCOMPARE(std::string(saved.math[0].name), std::string("ShortX"));
        QTest::keyClicks(m_dlg->NameField(0), "Y");
        m_prompt.QueueFile(Path("no/such/folder/x.graph"));
        m_dlg->SaveAsAction()->trigger();
        QCOMPARE(m_prompt.lastText, std::string("There was an error saving the file"));
        QCOMPARE(m_dlg->ConfigPath(), Path("saved.graph"));
        QVERIFY(m_dlg->IsModified());
    }
};

QTEST_MAIN(MathChannelSetupTest)
#include "MathChannelSetupTest.moc"
