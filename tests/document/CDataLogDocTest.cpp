// The document: configuration, open, save, close, frame lookup, times, views, observers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "PlatformSupport.h"
#include "texts/FailureText.h"
#include "settings/CPrefs.h"
#include "settings/GraphConfigurationFile.h"
#include "model/LogColumns.h"
#include "document/CDataLogDoc.h"
#include "model/ComparisonLog.h"
#include "model/DataLogFile.h"
#include "platform/AtomicFile.h"
#include "samplegen/SampleLog.h"
#include "support/LogFixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TempFolder.h"
#include "texts/UserTexts.h"

namespace fs = std::filesystem;
using namespace quillon;
using namespace quillon::test;

namespace {

struct RecordingView : IDataLogView {
    void OnUpdate(IDataLogView*, DocumentChange change) override { hints.push_back(change); }
    std::vector<DocumentChange> hints;
};

class DocTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string WriteLog(const std::string& name, int frames, uint32_t seed = 1) const {
        EXPECT_TRUE(WriteSampleLog(Path(name), {.frames = frames, .seed = seed}));
        return Path(name);
    }

    TempFolder m_dir;
    CPrefs m_prefs{m_dir.String()};
    ScriptedPrompt m_prompt;
};

TEST_F(DocTest, ConstructionLoadsTheLastGraphConfigurationOverTheDefaults) {
    // No file yet: the defaults, no message.
    EXPECT_EQ(GraphViewTitle(CDataLogDoc(m_prefs, m_prompt).Config().views[0]), "View #1");
    GraphConfiguration config = DefaultGraphConfiguration();
    std::strcpy(config.views[2].title, "Boost");
    config.axes[5].maximum = 42.0f;
    const GraphConfigurationBytes bytes = SerializeGraphConfiguration(config);
    // A file cut inside the axis block: views and the first axes come from it, the rest from
    // the defaults.
    std::ofstream(m_prefs.GetLastDataLogConfig(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), 2208 + 12 * 6);
    m_prefs.SetLastDataLogConfig(m_prefs.GetDefaultConfigFile());
    CDataLogDoc doc(m_prefs, m_prompt);
    EXPECT_EQ(std::tuple(GraphViewTitle(doc.Config().views[2]), doc.Config().axes[5].maximum,
                         doc.Config().views[7].entries[15].channel, m_prompt.messages),
              std::tuple("Boost", 42.0f, 128u, 0));
}

TEST_F(DocTest, OpenReadsFramesComputesStatisticsMathChannelsAndFreshMaxima) {
    CDataLogDoc doc(m_prefs, m_prompt);
    test::DefineMath(doc.Config(), 0, "Twice RPM", "[002]*2");
    RecordingView view;
    doc.AddView(&view);
    doc.SetCursor(7, 2, false);
    const Result opened = doc.OnOpenDocument(WriteLog("run.dl", 3000));
    ASSERT_TRUE(opened) << FailureText(opened);
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetZoomLast(), doc.GetCursorFrame()),
              std::tuple(3000, 2999, -1));
    EXPECT_EQ(view.hints.back(), DocumentChange::LogChanged);
    EXPECT_EQ(doc.Main().stats[5].count, 3000u);
    EXPECT_EQ(doc.StartTimeText(), "Start Time: 00:00:00.000");
    for (int i : {0, 1500, 2999})
        EXPECT_EQ(doc.Main().values[368][i], 2 * doc.Main().values[1][i]) << i;
    EXPECT_EQ(doc.Main().stats[368].count, 3000u);  // statistics after the math channels

    // A second, idle-only log does not keep the first one's running maximum.
    const float bigRpm = doc.Main().maxRpm;
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("small.dl", 10)));
    float rpm = 0.0f;
    for (int i = 0; i < 10; ++i)
        rpm = std::max(rpm, doc.Main().values[1][i]);
    EXPECT_EQ(doc.Main().maxRpm, rpm);
    EXPECT_LT(rpm, bigRpm);
    doc.RemoveView(&view);
}

TEST_F(DocTest, OpeningGoesByTheFirstBytesAndExpandsOnlyCompressedLogs) {
    ASSERT_TRUE(WriteSampleLog(Path("plain.dlz"), {.frames = 300}));
    ASSERT_TRUE(WriteSampleDlz(Path("Run.dlz"), {.frames = 300}));
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(Path("plain.dlz")));
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetPathName()),
              std::tuple(300, Path("plain.dlz")));
    EXPECT_FALSE(fs::exists(Path("plain.dl")));
    ASSERT_TRUE(doc.OnOpenDocument(Path("Run.dlz")));
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetPathName()), std::tuple(300, Path("Run.dl")));
    ASSERT_TRUE(doc.LoadComparison(Path("plain.dlz")));
    EXPECT_EQ(doc.GetComparisonPathName(), Path("plain.dlz"));
}

TEST_F(DocTest, RejectedFilesKeepThePreviousLog) {
    const std::string good = WriteLog("good.dl", 300);
    std::vector<uint8_t> bytes = ReadBytes(good);
    bytes[0] ^= 0xFF;
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(good));
    const float* column = doc.Main().values[2].data();

    // Each failure carries its kind and cause for the caller to show; the document shows nothing.
    Result r = doc.OnOpenDocument(WriteBytes(Path("magic.dl"), bytes));
    EXPECT_EQ(std::tuple(r.kind, r.operation),
              std::tuple(ErrorKind::WrongMagic, Operation::OpenLog));
    EXPECT_TRUE(doc.LoadFailed());
    r = doc.OnOpenDocument(Path("missing.dl"));
    EXPECT_EQ(std::tuple(r.kind, r.cause, r.path),
              std::tuple(ErrorKind::CannotOpen, Cause::OpenFailed, Path("missing.dl")));
    EXPECT_FALSE(r.system.empty());
    EXPECT_TRUE(m_prompt.asked.empty());

    EXPECT_EQ(std::tuple(doc.Main().values[2].data(), doc.GetFrameCount(), doc.GetPathName()),
              std::tuple(column, 300, good));
}

TEST_F(DocTest, ACancelledOpeningLeavesThePreviousLogAsItWas) {
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("first.dl", 300)));
    ASSERT_TRUE(doc.LoadComparison(WriteLog("other.dl", 200, 2)));
    doc.NudgeComparison(1);  // an edit whose save question would come with a real opening
    doc.SetModifiedFlag();
    const float* column = doc.Main().values[0].data();
    RecordingView view;
    doc.AddView(&view);
    // Stopped after the first blocks of a longer log: nothing of it is kept, nothing is asked.
    int asked = 0;
    const Result r =
        doc.OnOpenDocument(WriteLog("second.dl", 1000), {}, [&] { return ++asked > 2; });
    EXPECT_EQ(std::tuple(r.kind, r.operation),
              std::tuple(ErrorKind::Cancelled, Operation::OpenLog));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetPathName(), doc.IsModified()),
              std::tuple(300, Path("first.dl"), true));
    EXPECT_EQ(doc.Main().values[0].data(), column);
    EXPECT_TRUE(doc.IsComparisonLoaded() && doc.IsComparisonEdited());
    EXPECT_EQ(m_prompt.questions, 0);
    EXPECT_TRUE(view.hints.empty());
    doc.RemoveView(&view);
}

TEST_F(DocTest, SaveWritesTheSameBytesAndAFailedSaveKeepsTheDocumentState) {
    const std::string path = WriteLog("run.dl", 200);
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.SetModifiedFlag();
    const std::string copy = Path("copy.dl");
    ASSERT_TRUE(doc.OnSaveDocument(copy));
    EXPECT_EQ(std::tuple(doc.IsModified(), doc.GetPathName()), std::tuple(false, copy));
    // Header and frames come back byte for byte; the configuration block carries the math
    // channels' input entries, which the document recomputes after loading.
    const std::string saved = ReadText(copy), original = ReadText(path);
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_TRUE(saved.compare(0, 7712, original, 0, 7712) == 0);
    EXPECT_TRUE(saved.compare(16204, std::string::npos, original, 16204) == 0);

    doc.SetModifiedFlag();
    const Result failed = doc.OnSaveDocument(Path("no-folder/x.dl"));
    EXPECT_EQ(std::tuple(failed.kind, failed.cause, failed.operation),
              std::tuple(ErrorKind::CannotWrite, Cause::CreateFailed, Operation::SaveLog));
    EXPECT_EQ(std::tuple(doc.IsModified(), doc.GetPathName()), std::tuple(true, copy));

    // A save whose bytes cannot be made durable (the file's fsync fails) fails the same way, and
    // the file it was to replace keeps its old bytes.
    AtomicFile::SetFaultHook([](WriteStep step) { return step == WriteStep::SyncFile; });
    const Result unsynced = doc.OnSaveDocument(path);
    AtomicFile::SetFaultHook({});
    EXPECT_EQ(std::tuple(unsynced.kind, unsynced.cause, unsynced.operation, unsynced.path),
              std::tuple(ErrorKind::CannotWrite, Cause::WriteFailed, Operation::SaveLog, path));
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(std::tuple(doc.IsModified(), doc.GetPathName()), std::tuple(true, copy));
}

#ifndef _WIN32
// The RPM values of every frame, read through the document's columns.
std::vector<float> RpmColumn(CDataLogDoc& doc) {
    LogData& log = doc.Main();
    DropFileColumns(log);  // made again from the file
    EXPECT_TRUE(EnsureColumns(log, {kRpmSlot}));
    return std::vector<float>(log.values[kRpmSlot].data(),
                              log.values[kRpmSlot].data() + log.frameCount);
}

TEST_F(DocTest, ACroppedLogSavedOverItsOwnHardLinkedFileKeepsItsFrames) {
    // A hard-linked file is written in place, under the frames the open log reads from.
    const std::string path = WriteLog("run.dl", 200);
    ASSERT_EQ(::link(path.c_str(), Path("other.dl").c_str()), 0);
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    m_prompt.SetAnswer(PromptAnswer::Yes);
    doc.SetCursor(50, 0, false);
    ASSERT_TRUE(doc.OnSetStartPoint());
    const std::vector<float> before = RpmColumn(doc);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(RpmColumn(doc), before);
    CDataLogDoc reread(m_prefs, m_prompt);
    ASSERT_TRUE(reread.OnOpenDocument(Path("other.dl")));
    EXPECT_EQ(RpmColumn(reread), before);
}
#endif

TEST_F(DocTest, NewAndCloseEmptyTheLogCloseSavesTheConfigurationAndAnEditedComparison) {
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("run.dl", 20)));
    doc.Config().views[0].entries[0].panel = 3;
    doc.SetCursor(25, 0, false);  // beyond the log: no cursor
    EXPECT_EQ(doc.GetCursorFrame(), -1);
    doc.SetCursor(3, 1, false);
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetCursorFrame(), doc.GetPathName(),
                         doc.IsModified(), doc.Config().views[0].entries[0].panel),
              std::tuple(0, -1, std::string(), false, 3u));

    // A comparison set up by hand, as the comparison load does.
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("run.dl", 50)));
    const std::string comparisonPath = Path("comparison.dl");
    FillLog(doc.Comparison(), 3, [](int s, int i) { return s ? float(s + i) : 0.1f * float(i); });
    FillSampleHeader(SampleLogOptions{}, doc.Comparison().header, doc.Comparison().config);
    doc.SetComparisonLoaded(true, comparisonPath);
    doc.SetComparisonEdited();
    int windowsClosed = 0;
    doc.destroyModelessWindows = [&] { ++windowsClosed; };
    m_prompt.SetAnswer(PromptAnswer::Yes);
    doc.OnCloseDocument();
    EXPECT_EQ(std::tuple(windowsClosed, m_prompt.lastCaption, fs::exists(comparisonPath)),
              std::tuple(1, "Comparison Logfile Edited", true));
    EXPECT_FALSE(doc.IsComparisonLoaded() || doc.HasLog());
    const std::string graph = ReadText(m_prefs.GetLastDataLogConfig());
    ASSERT_EQ(graph.size(), 10218u);
    EXPECT_EQ(LoadU32(reinterpret_cast<const uint8_t*>(graph.data()) + 20 + 8), 3u);
}

TEST_F(DocTest, ComparisonLoadsPaddedFailsCleanlyAndClosesWhenAnotherLogOpens) {
    const std::string comparisonPath = WriteLog("longer.dl", 400, 2);
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("short.dl", 100)));
    EXPECT_EQ(doc.LoadComparison(Path("missing.dl")).cause, Cause::OpenFailed);
    EXPECT_FALSE(doc.IsComparisonLoaded());

    // The main log's figures with a longer comparison: the next test.
    RecordingView view;
    doc.AddView(&view);
    ASSERT_TRUE(doc.LoadComparison(comparisonPath));
    EXPECT_EQ(std::tuple(doc.GetComparisonPathName(), doc.GetDisplayLength(), view.hints.back()),
              std::tuple(comparisonPath, 400, DocumentChange::LogChanged));

    // A nudge marks the comparison edited and only refills the chart.
    const float before = doc.Comparison().values[0][10];
    doc.NudgeComparison(1);
    EXPECT_EQ(view.hints.back(), DocumentChange::ShownDataChanged);
    EXPECT_TRUE(doc.IsComparisonEdited());
    EXPECT_FLOAT_EQ(doc.Comparison().values[0][10], before + 0.1f);

    // Opening another main log closes the comparison, asking to save it first.
    m_prompt.SetAnswer(PromptAnswer::No);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("again.dl", 100)));
    EXPECT_EQ(std::tuple(m_prompt.questions, m_prompt.lastCaption),
              std::tuple(1, "Comparison Logfile Edited"));
    EXPECT_FALSE(doc.IsComparisonLoaded());
    EXPECT_EQ(std::tuple(doc.GetDisplayLength(), doc.ComparisonFrameAtTime(0)),
              std::tuple(100, -1));
    doc.RemoveView(&view);
}

// With a longer comparison loaded, each command keeps to its own log: Update Stats of the
// comparison, Auto Zero of the main log, and a crop of the main log that pads it to the
// comparison's length.
TEST_F(DocTest, CommandsWithALongerComparisonKeepToTheirOwnLog) {
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("main.dl", 100)));
    ASSERT_TRUE(doc.LoadComparison(WriteLog("comparison.dl", 400, 2)));
    ASSERT_EQ(doc.Main().stats[1].count, 100u);

    doc.ComputeComparisonStats(10, 20);
    for (int s : {0, 1, 5, 439})
        EXPECT_EQ(
            std::tuple(doc.Comparison().stats[size_t(s)].count, doc.Main().stats[size_t(s)].count),
            std::tuple(10u, 100u))
            << s;

    // The comparison runs 0.5 s later and the cursor last stood on it. Both logs step 10 ms from
    // 0 s: the first main frame after 0.5 s is 51 (0.51 s), which becomes time 0.
    doc.NudgeComparison(5);
    doc.SetCursor(51, 0, true);
    ASSERT_TRUE(doc.AutoZero(1, 1, 0.5f));
    EXPECT_EQ(std::tuple(doc.GetCursorFrame(), doc.IsCursorOnComparison()), std::tuple(51, false));
    EXPECT_NEAR(doc.TimeOfFrame(51), 0.0f, 1e-6f);
    EXPECT_NEAR(doc.TimeOfFrame(0), -0.51f, 1e-6f);

    // Frames 10 to 99 of the main log stay (90 frames); elements 90 to 400 of its columns, up to
    // the comparison's 400 frames and the spare one, are no-value markers.
    ASSERT_TRUE(EnsureColumns(doc.Main(), {1}));
    std::vector<float> rpm(doc.Main().values[1].data(), doc.Main().values[1].data() + 100);
    doc.SetCursor(10, 0, false);
    m_prompt.SetAnswer(PromptAnswer::Yes);
    ASSERT_TRUE(doc.OnSetStartPoint());
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetDisplayLength()), std::tuple(90, 400));
    ASSERT_TRUE(EnsureColumns(doc.Main(), {1}, true));
    for (int s : {0, 1}) {
        const LogData& main = doc.Main();
        ASSERT_EQ(std::tuple(main.values[s].size(), main.status[s].size()), std::tuple(401u, 401u));
        for (size_t i = 90; i <= 400; ++i)
            ASSERT_EQ(std::tuple(main.values[s][i], main.status[s][i]),
                      std::tuple(kNoValue, kNoValueStatus))
                << s << " " << i;
    }
    for (size_t i = 0; i < 90; ++i)
        ASSERT_EQ(doc.Main().values[1][i], rpm[i + 10]) << i;
}

TEST_F(DocTest, ToolsCommandsAskFirstAndMarkTheDocument) {
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("run.dl", 200)));
    EXPECT_FALSE(doc.OnSetZeroTime());  // no cursor: nothing, no question
    EXPECT_EQ(m_prompt.questions, 0);

    doc.SetCursor(50, 0, false);
    m_prompt.SetAnswer(PromptAnswer::No);
    EXPECT_FALSE(doc.OnSetZeroTime());
    EXPECT_EQ(std::tuple(m_prompt.lastCaption, doc.IsModified()),
              std::tuple("Set Zero Time", false));

    m_prompt.SetAnswer(PromptAnswer::Yes);
    ASSERT_TRUE(doc.OnSetZeroTime());
    EXPECT_EQ(std::tuple(doc.IsModified(), doc.TimeOfFrame(50)), std::tuple(true, 0.0f));
    EXPECT_FLOAT_EQ(doc.Main().header.Get(DataLogHeader::zeroTime), 0.5f);

    doc.SetZoomRange(10, 20);
    ASSERT_TRUE(doc.OnSetStartPoint());
    EXPECT_EQ(m_prompt.lastCaption, "Set Start Point");
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetCursorFrame(), doc.GetZoomLast()),
              std::tuple(150, -1, 149));
    for (int s = 0; s < kSlotCount; ++s)
        ASSERT_EQ(doc.Main().stats[size_t(s)].count, 150u) << s;

    doc.SetCursor(99, 0, false);
    ASSERT_TRUE(doc.OnSetEndPoint());
    EXPECT_EQ(std::tuple(doc.GetFrameCount(), doc.GetDisplayLength()), std::tuple(100, 100));

    EXPECT_FALSE(doc.AutoZero(2, 1, 1e9f));  // RPM above a billion: not found
    EXPECT_EQ(m_prompt.lastCaption + ": " + m_prompt.lastText,
              "Auto Zero Failed: The condition was not found.");
    ASSERT_TRUE(doc.AutoZero(1, 1, 0.5f));  // time above 0.5 s
    EXPECT_EQ(doc.GetCursorFrame(), 51);
    EXPECT_NEAR(doc.TimeOfFrame(51), 0.0f, 1e-6f);
}

TEST_F(DocTest, StartTimeTextsAreUtcTimesOfDay) {
    // 2026-01-01 14:03:22.125 UTC, whatever the local zone.
    test::SetEnvironment("TZ", "America/New_York");
    tzset();
    const uint64_t ts = 1767225600000ull + (14 * 3600 + 3 * 60 + 22) * 1000ull + 125;
    EXPECT_EQ(CDataLogDoc::TimeOfDayText(ts), "14:03:22.125");
    EXPECT_EQ(CDataLogDoc::TimeOfDayText(999), "00:00:00.999");
    EXPECT_EQ(CDataLogDoc::TimeOfDayText(UINT64_MAX), "14:25:51.615");
    CDataLogDoc doc(m_prefs, m_prompt);
    doc.Comparison().firstTimestamp = ts + 1;
    EXPECT_EQ(doc.ComparisonStartTimeText(), "Comparison: 14:03:22.126");
    test::UnsetEnvironment("TZ");
    tzset();
}

TEST_F(DocTest, StepViewSkipsEmptyViewsAndOutOfRangeFieldsFromAGraphFileAreGuarded) {
    GraphConfiguration config = DefaultGraphConfiguration();
    for (auto& entry : config.views[0].entries)
        entry.channel = 0;
    config.views[0].entries[3].panel = 0xFFFFFFFFu;
    for (int v = 1; v < kViewCount; ++v)
        for (auto& entry : config.views[v].entries)
            entry = {9999, 1, 1, {}, 7, 200};  // out-of-range channel: the view counts as empty
    config.views[3].entries[15].channel = 7;
    const std::string path = Path("odd.graph");
    ASSERT_TRUE(WriteGraphConfigurationFile(path, config));
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.LoadGraphConfiguration(path));
    EXPECT_EQ(doc.Config().views[1].entries[0].channel, 9999u);  // kept as stored
    // View 0 is accepted on the wrap although empty.
    for (auto [step, view] : {std::pair{+1, 3}, {+1, 0}, {-1, 3}, {-1, 0}}) {
        doc.StepView(step);
        EXPECT_EQ(doc.GetCurrentView(), view);
    }
    doc.SetCurrentView(8);
    EXPECT_EQ(std::tuple(doc.GetCurrentView(), doc.EntriesOrderedByPanel().size()),
              std::tuple(0, 15u));
    doc.SetCurrentView(4);
    EXPECT_EQ(std::tuple(doc.EntriesOrderedByPanel().size(), m_prompt.messages), std::tuple(0u, 0));
}

}  // namespace

// The comparison's file is whole, so its edits may still be saved when the main log closes.
TEST_F(DocTest, ALogWhoseFileIsCutShortWhileOpenIsClosedWithAMessage) {
    CDataLogDoc doc(m_prefs, m_prompt);
    int reports = 0;
    doc.logFileChanged = [&] { ++reports; };
    const std::string path = WriteLog("run.dl", 3000);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_TRUE(doc.LoadComparison(WriteLog("other.dl", 3000, 2)));
    doc.NudgeComparison(3);
    EXPECT_FALSE(doc.CloseChangedLogs());
    fs::resize_file(path, kFramesOffset + 100 * kFrameSize);
    doc.ComputeMainStats(0, 3000);  // Update Stats reads every frame again
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(doc.CloseChangedLogs());
    EXPECT_EQ(std::tuple(doc.HasLog(), doc.GetFrameCount()), std::tuple(false, 0));
    ASSERT_EQ(m_prompt.failures.size(), 1u);
    EXPECT_EQ(std::tuple(m_prompt.failures[0].cause, m_prompt.failures[0].path),
              std::tuple(Cause::FileChanged, path));
    EXPECT_EQ(m_prompt.questions, 1);
    EXPECT_EQ(m_prompt.asked[0].caption, kComparisonEditedCaption);
}

TEST_F(DocTest, TheGraphFileIsWrittenOnlyWhenChangedAndNeverOverAnotherKindOfFile) {
    const std::string graph = m_prefs.GetLastDataLogConfig();
    ASSERT_TRUE(WriteGraphConfigurationFile(graph, DefaultGraphConfiguration()));
    auto inodeOf = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const auto inode = inodeOf(graph);
    {
        CDataLogDoc doc(m_prefs, m_prompt);
        doc.OnCloseDocument();  // unchanged: the file is not rewritten
    }
    EXPECT_EQ(inodeOf(graph), inode);
    const std::string notes = Path("notes.txt");
    std::ofstream(notes) << std::string(7500, 'n');
    m_prefs.SetLastDataLogConfig(notes);
    {
        CDataLogDoc doc(m_prefs, m_prompt);
        doc.Config().axes[0].maximum = 7.0f;
        EXPECT_FALSE(doc.SaveGraphConfiguration());
        doc.OnCloseDocument();
    }
    EXPECT_EQ(ReadText(notes), std::string(7500, 'n'));
    ASSERT_EQ(m_prompt.failures.size(), 1u);  // told once
    EXPECT_EQ(m_prompt.failures[0].cause, Cause::NotAGraphFile);
}

TEST_F(DocTest, TheSelectionIsSharedAndGoesWithTheFramesTheDifferenceChoiceIsNoGraphData) {
    CDataLogDoc doc(m_prefs, m_prompt);
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("run.dl", 200)));
    RecordingView view;
    doc.AddView(&view);
    doc.SetSelection(FrameSelection::OfFrames({5, 6, 7, 40}), nullptr);
    EXPECT_EQ(doc.GetSelection()->Runs(), (std::vector<FrameRun>{{5, 8}, {40, 41}}));
    EXPECT_EQ(view.hints, std::vector<DocumentChange>{DocumentChange::SelectionChanged});
    doc.SetSelection(FrameSelection{}, nullptr);  // an empty one clears it
    EXPECT_FALSE(doc.HasSelection());
    doc.ClearSelection(nullptr);  // nothing more to clear, nobody told
    EXPECT_EQ(view.hints.size(), 2u);
    doc.RemoveView(&view);

    // Kept while the frames stay (a comparison, a zero time); gone with a crop, its undo and
    // another log.
    const auto select = [&] { doc.SetSelection(FrameSelection::OfFrames({50}), nullptr); };
    select();
    ASSERT_TRUE(doc.LoadComparison(WriteLog("other.dl", 300, 2)));
    doc.SetCursor(20, 0, false);
    m_prompt.SetAnswer(PromptAnswer::Yes);
    ASSERT_TRUE(doc.OnSetZeroTime());
    EXPECT_TRUE(doc.HasSelection());
    ASSERT_TRUE(doc.OnSetStartPoint());
    EXPECT_FALSE(doc.HasSelection());
    select();
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.HasSelection());
    select();
    ASSERT_TRUE(doc.OnOpenDocument(WriteLog("third.dl", 100)));
    EXPECT_FALSE(doc.HasSelection());

    // The difference choice is the display's: the .graph file's bytes do not change with it.
    const std::string graph = m_prefs.GetLastDataLogConfig();
    ASSERT_TRUE(doc.SaveGraphConfiguration());
    const std::string before = ReadText(graph);
    doc.SetDifferenceShown(2, true);
    doc.SetDifferenceShown(441, true);  // no such channel: ignored
    EXPECT_TRUE(doc.IsDifferenceShown(2));
    EXPECT_EQ(doc.DifferenceChannels().count(), 1u);
    ASSERT_TRUE(doc.SaveGraphConfiguration());
    EXPECT_EQ(ReadText(graph), before);
}
