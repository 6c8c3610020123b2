// The chart drawn from a log's summary: its envelopes answer as envelopes over the frames do, at
// every level switch, and its pictures are those drawn from whole columns.

#include <random>

#include "gui/chart/CDataLogView.h"
#include "support/DocumentFixture.h"

using namespace quillon;

class ChartSummaryTest : public QObject, test::DocumentFixture {
    Q_OBJECT

private slots:
    void init() { NewDocument(); }
    void cleanup() { DeleteDocument(); }

    void summaryEnvelopeMatchesFramesAtEveryLevel() {
        const int frames = 9000;
        std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = frames});
        const uint8_t* first = bytes.data() + kFramesOffset;
        const int slot = 2;
        std::vector<float> values(static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i) {
            uint8_t* v = bytes.data() + kFramesOffset + kFrameSize * size_t(i) + 8 * slot;
            // Markers, a NaN and an infinity across block boundaries.
            if (i % 1000 == 1023 % 1000 || i == 4100 || i == 5000) StoreF32(v, -999999.0f);
            if (i == 300) StoreF32(v, std::numeric_limits<float>::quiet_NaN());
            if (i == 7000) StoreF32(v, std::numeric_limits<float>::infinity());
            values[size_t(i)] = LoadF32(v);
        }
        CurveEnvelope plain;
        plain.Build(values.data(), values.size());
        std::mt19937 random(7);
        const size_t perBlock = kSlotCount * (sizeof(SummaryBlock) + 1);
        // Budgets for the finest kept level of 16, 64, 256 and 1024 frames (coarse only).
        for (size_t budget : {perBlock * 1000, perBlock * 150, perBlock * 40, size_t(0)}) {
            LogSummary summary;
            QVERIFY(summary.Start(frames, budget));
            summary.Add(first, 0, frames);
            CurveEnvelope fromSummary;
            fromSummary.BuildFromSummary(summary, slot, size_t(frames));
            for (int q = 0; q < 400; ++q) {
                // Ranges of every length, both ends inside blocks, some reaching the data's end.
                const size_t length = size_t(1) + random() % (q % 4 == 0 ? 40 : frames);
                const size_t from = random() % (size_t(frames) - length + 1);
                const size_t to = q % 7 == 0 ? size_t(frames) : from + length;
                if (fromSummary.NeedsWindow(from, to)) {
                    size_t a = 0, b = 0;
                    fromSummary.WindowSpan(from, to, a, b);
                    QCOMPARE(a % fromSummary.WindowAlign(), size_t(0));
                    fromSummary.BeginWindow(a, b, q % 2 ? 0 : b - a);
                    fromSummary.AddWindowValues(values.data() + a, b - a);
                    fromSummary.EndWindow();
                }
                const CurveEnvelope::Range x = plain.MinMax(from, to);
                const CurveEnvelope::Range y = fromSummary.MinMax(from, to);
                // A window that keeps no single samples answers nothing for a range that needs
                // them (fewer than two level-0 blocks).
                if (q % 2 && to - from < 32) {
                    QVERIFY(!y.any && !y.hasGap);
                    continue;
                }
                QVERIFY2(x.any == y.any && x.hasGap == y.hasGap && x.minimum == y.minimum &&
                             x.maximum == y.maximum,
                         qPrintable(QString("budget %1: %2 to %3").arg(budget).arg(from).arg(to)));
            }
        }
    }

    void summaryPictureIsTheColumnsPicture() {
        const std::string path = WriteLog("summary.dl", 12000);
        // A shorter comparison log, its curves dashed and ending early.
        const std::string other = WriteLog("other.dl", 9000, 100, 4);
        QVERIFY(m_doc->OnOpenDocument(path));
        QVERIFY(m_doc->LoadComparison(other).ok());
        CDataLogDoc columns(*m_prefs, m_prompt);
        QVERIFY(columns.OnOpenDocument(path));
        QVERIFY(columns.LoadComparison(other).ok());
        QVERIFY(DetachFromFile(columns.Main()) && DetachFromFile(columns.Comparison()));
        // Six channels without axis strips, so that a narrow picture has many frames per column.
        for (CDataLogDoc* doc : {m_doc.get(), &columns}) {
            GraphView& view = doc->Config().views[0];
            view.entries = {};
            for (int c = 2, e = 0; c <= kChannelCount && e < 6; ++c)
                if (IsChannelAvailable(doc->Main(), c))
                    view.entries[size_t(e++)] = {uint32_t(c), 1, 0, {}, uint32_t(e % 3), 0};
            doc->SetCurrentView(0);
        }
        CDataLogView fromSummary(*m_doc, *m_prefs), fromColumns(columns, *m_prefs);
        fromSummary.resize(300, 400);
        fromColumns.resize(300, 400);
        m_doc->UpdateAllViews(nullptr, DocumentChange::LogChanged);
        columns.UpdateAllViews(nullptr, DocumentChange::LogChanged);
        QVERIFY(fromSummary.Model().Item(0).main.summary != nullptr);
        QVERIFY(fromSummary.Model().Item(0).comparison.summary != nullptr);
        QVERIFY(fromColumns.Model().Item(0).main.summary == nullptr);
        const TimeWindow all = fromSummary.VisibleWindow();
        // The whole log (summary blocks), then single samples per column, then raw lines.
        for (double part : {1.0, 0.5, 0.23, 0.05, 0.01}) {
            const double a = all.minimum + all.Width() * 0.37 * (1 - part);
            for (CDataLogView* v : {&fromSummary, &fromColumns})
                if (part < 1) v->ZoomToWindow(a, a + all.Width() * part);
            QCOMPARE(fromSummary.RenderImage(QSize(300, 400)),
                     fromColumns.RenderImage(QSize(300, 400)));
        }
    }
};

QTEST_MAIN(ChartSummaryTest)
#include "ChartSummaryTest.moc"
