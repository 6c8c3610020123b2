// The file commands with scripted answers: save questions, Save As, failures, compare.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "PlatformSupport.h"
#include "document/CDataLogDoc.h"
#include "document/DataLogFileFlows.h"
#include "samplegen/SampleLog.h"
#include "settings/CPrefs.h"
#include "support/ScriptedPrompt.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace quillon;

namespace {

// Records what the flows ask of the window, each with the number of prompts asked before it.
class RecordingHost : public IFileFlowsHost {
public:
    explicit RecordingHost(const ScriptedPrompt& prompt) : m_prompt(prompt) {}

    Result RunWithProgress(const std::string& label,
                           const std::function<Result(const ProgressCallback&)>& work) override {
        Note("progress " + label);
        return work({});
    }
    std::string LastOpenFolder() override { return lastFolder; }
    void SetLastOpenFolder(const std::string& folder) override {
        lastFolder = folder;
        Note("folder " + folder);
    }
    void AddRecentFile(const std::string& path) override { Note("recent " + path); }
    std::string RunConverter(const std::string&) override {
        Note("converter");
        return {};
    }

    std::string lastFolder;
    std::vector<std::string> events;

private:
    void Note(const std::string& what) {
        events.push_back(std::to_string(m_prompt.asked.size()) + " " + what);
    }
    const ScriptedPrompt& m_prompt;
};

class FileFlowsTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string WriteLog(const std::string& name, int frames) const {
        EXPECT_TRUE(WriteSampleLog(Path(name), {.frames = frames}));
        return Path(name);
    }
    // Opens a log and marks it changed, with the prompt's and the host's records emptied.
    void OpenModified(const std::string& name, int frames = 50) {
        ASSERT_TRUE(m_flows.OpenFile(WriteLog(name, frames)));
        m_doc.SetModifiedFlag(true);
        m_prompt.asked.clear();
        m_host.events.clear();
    }
    std::vector<std::string> Asked() const {
        std::vector<std::string> asked;
        for (const auto& a : m_prompt.asked)
            asked.push_back(a.kind + " " + a.caption + ": " + a.text);
        return asked;
    }

    test::TempFolder m_dir;
    CPrefs m_prefs{m_dir.String()};
    ScriptedPrompt m_prompt;
    RecordingHost m_host{m_prompt};
    CDataLogDoc m_doc{m_prefs, m_prompt};
    DataLogFileFlows m_flows{m_doc, m_prefs, m_prompt, m_host};
};

using Strings = std::vector<std::string>;

TEST_F(FileFlowsTest, OpenStartsInTheDataLogFolderThenInTheLastFolder) {
    const std::string log = WriteLog("run.dl", 40);
    m_prompt.QueueFile(log);
    ASSERT_TRUE(m_flows.Open());
    EXPECT_EQ(std::tuple(m_flows.HasOpenedLog(), m_doc.GetFrameCount(), m_flows.DocumentName()),
              std::tuple(true, 40, "run.dl"));
    EXPECT_EQ(Asked(), Strings{"open Open: " + m_prefs.GetDataLogFolder() + "|"});
    EXPECT_EQ(m_host.events, (Strings{"1 progress Loading run.dl...", "1 folder " + m_dir.String(),
                                      "1 recent " + log}));
    // Cancel opens nothing and keeps the log.
    EXPECT_FALSE(m_flows.Open());
    EXPECT_EQ(m_prompt.asked.back().text, m_dir.String() + "|");
    EXPECT_EQ(m_doc.GetFrameCount(), 40);
}

TEST_F(FileFlowsTest, SaveQuestionComesFirstAndCancelKeepsTheModifiedLog) {
    OpenModified("first.dl");
    const std::string other = WriteLog("other.dl", 70);
    m_prompt.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(m_flows.OpenFile(other));
    m_prompt.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(m_flows.New());
    m_prompt.QueueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(m_flows.Close());
    EXPECT_EQ(Asked(), Strings(3, "question3 : Save changes to first.dl?"));
    EXPECT_TRUE(m_host.events.empty());
    EXPECT_EQ(std::tuple(m_doc.IsModified(), m_doc.GetFrameCount()), std::tuple(true, 50));
    // No goes on without saving.
    m_prompt.QueueAnswer(PromptAnswer::No);
    EXPECT_TRUE(m_flows.OpenFile(other));
    EXPECT_EQ(m_doc.GetFrameCount(), 70);
    EXPECT_EQ(m_host.events.front(), "4 progress Loading other.dl...");
}

TEST_F(FileFlowsTest, YesOnAnUntitledLogSavesAsBeforeTheNextOpen) {
    OpenModified("first.dl");
    m_doc.SetPathName("");
    const std::string other = WriteLog("other.dl", 70);
    m_prompt.QueueAnswer(PromptAnswer::Yes);
    m_prompt.QueueFile(Path("kept"));
    ASSERT_TRUE(m_flows.OpenFile(other));
    EXPECT_EQ(Asked(), (Strings{"question3 : Save changes to Untitled?",
                                "save Save As: " + m_prefs.GetDataLogFolder() + "|"}));
    // The saved log is the older recent file, the opened one the newest.
    EXPECT_EQ(m_host.events, (Strings{"2 progress Saving kept.dl...", "2 recent " + Path("kept.dl"),
                                      "2 progress Loading other.dl...",
                                      "2 folder " + m_dir.String(), "2 recent " + other}));
    EXPECT_EQ(fs::file_size(Path("kept.dl")), fs::file_size(Path("first.dl")));
}

TEST_F(FileFlowsTest, SaveAsAlwaysWritesAPlainLog) {
    OpenModified("orig.dl");
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {{"a.DLZ", "a.DL"}, {"b", "b.dl"}, {"c.Dl", "c.Dl"}, {"d.dl.txt", "d.dl.txt.dl"}};
    for (const auto& c : cases) {
        m_prompt.QueueFile(Path(c.chosen));
        ASSERT_TRUE(m_flows.SaveAs()) << c.chosen;
        EXPECT_TRUE(fs::exists(Path(c.written))) << c.chosen;
        EXPECT_EQ(std::tuple(m_doc.GetPathName(), m_doc.IsModified()),
                  std::tuple(Path(c.written), false));
    }
    EXPECT_FALSE(fs::exists(Path("a.DLZ")));
    // The dialog proposes the current file in its folder; Cancel changes nothing.
    EXPECT_FALSE(m_flows.SaveAs());
    EXPECT_EQ(Asked().back(), "save Save As: " + m_dir.String() + "|d.dl.txt.dl");
    EXPECT_EQ(m_doc.GetPathName(), Path("d.dl.txt.dl"));
}

TEST_F(FileFlowsTest, SaveAsAsksBeforeReplacingTheNameItMade) {
    OpenModified("orig.dl");
    const std::string kept = WriteLog("run2.dl", 10);
    const auto size = fs::file_size(kept);
    for (const char* typed : {"run2", "run2.dlz"}) {
        m_prompt.QueueFile(Path(typed));
        m_prompt.QueueAnswer(PromptAnswer::No);
        EXPECT_FALSE(m_flows.SaveAs()) << typed;
        EXPECT_EQ(m_prompt.asked.back().text,
                  "run2.dl already exists.\nDo you want to replace it?");
        EXPECT_EQ(fs::file_size(kept), size);
    }
    m_prompt.QueueFile(Path("run2"));
    m_prompt.QueueAnswer(PromptAnswer::Yes);
    EXPECT_TRUE(m_flows.SaveAs());
    EXPECT_NE(fs::file_size(kept), size);
}

TEST_F(FileFlowsTest, AFailedSaveIsShownAndKeepsTheWindow) {
    OpenModified("orig.dl");
    const std::string impossible = Path("orig.dl") + "/inside.dl";
    m_prompt.QueueFile(impossible);
    EXPECT_FALSE(m_flows.SaveAs());
    EXPECT_EQ(m_doc.GetPathName(), Path("orig.dl"));
    m_doc.SetPathName(impossible);
    m_prompt.QueueAnswer(PromptAnswer::Yes);
    EXPECT_FALSE(m_flows.Close());
    Strings kinds;
    for (const auto& a : m_prompt.asked)
        kinds.push_back(a.kind);
    EXPECT_EQ(kinds, (Strings{"save", "failure", "question3", "failure"}));
    ASSERT_EQ(m_prompt.failures.size(), 2u);
    for (const Result& failure : m_prompt.failures)
        EXPECT_EQ(std::tuple(failure.kind, failure.path),
                  std::tuple(ErrorKind::CannotWrite, impossible));
    EXPECT_EQ(m_prompt.asked[2].text, "Save changes to inside.dl?");
    EXPECT_EQ(std::tuple(m_doc.IsModified(), m_doc.GetFrameCount()), std::tuple(true, 50));
    // A save under the document's own path writes there without a dialog.
    m_doc.SetPathName(Path("orig.dl"));
    EXPECT_TRUE(m_flows.Save());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_host.events.back(), "4 progress Saving orig.dl...");
}

TEST_F(FileFlowsTest, RefusedLogsKeepTheOpenOneAndAnotherLayoutOffersTheConverter) {
    ASSERT_TRUE(m_flows.OpenFile(WriteLog("good.dl", 30)));
    const std::string magic = Path("magic.dl");
    std::ofstream(magic, std::ios::binary) << std::string(20000, '\x5a');
    std::vector<uint8_t> bytes = GenerateV4Bytes({.frames = 30});
    std::fill(bytes.begin() + 4, bytes.begin() + 12, 0x7f);
    const std::string version = test::WriteBytes(Path("version.dl"), bytes);
    m_prompt.asked.clear();
    m_host.events.clear();
    EXPECT_FALSE(m_flows.OpenFile(magic));
    m_prompt.QueueAnswer(PromptAnswer::No);
    EXPECT_FALSE(m_flows.OpenFile(version));
    m_prompt.QueueAnswer(PromptAnswer::Yes);
    EXPECT_FALSE(m_flows.OpenFile(version));
    ASSERT_EQ(m_prompt.asked.size(), 3u);
    EXPECT_EQ(m_prompt.asked[0].kind, "failure");
    EXPECT_EQ(m_prompt.asked[1].kind, "failurequestion");
    ASSERT_EQ(m_prompt.failures.size(), 3u);
    EXPECT_EQ(std::tuple(m_prompt.failures[0].kind, m_prompt.failures[1].kind),
              std::tuple(ErrorKind::WrongMagic, ErrorKind::WrongVersion));
    // Only Yes runs the converter, after the question; no refused file becomes recent.
    EXPECT_EQ(m_host.events,
              (Strings{"0 progress Loading magic.dl...", "1 progress Loading version.dl...",
                       "2 progress Loading version.dl...", "3 converter"}));
    EXPECT_EQ(m_doc.GetFrameCount(), 30);
}

TEST_F(FileFlowsTest, CompareAsksInTheDataLogFolderAndShowsFailures) {
    ASSERT_TRUE(m_flows.OpenFile(WriteLog("main.dl", 30)));
    m_prompt.asked.clear();
    m_prompt.QueueFile(WriteLog("cmp.dl", 60));
    ASSERT_TRUE(m_flows.Compare());
    EXPECT_TRUE(m_doc.IsComparisonLoaded());
    m_prompt.QueueFile(Path("missing.dl"));
    EXPECT_FALSE(m_flows.Compare());
    EXPECT_FALSE(m_flows.Compare());  // cancelled
    const std::string dialog =
        "open Choose Data Log to Compare: " + m_prefs.GetDataLogFolder() + "|";
    EXPECT_EQ(Asked(), (Strings{dialog, dialog, "failure : " + Path("missing.dl"), dialog}));
    ASSERT_EQ(m_prompt.failures.size(), 1u);
    EXPECT_EQ(std::tuple(m_prompt.failures[0].kind, m_prompt.failures[0].operation),
              std::tuple(ErrorKind::CannotOpen, Operation::OpenComparison));
    EXPECT_EQ(m_host.events.back(), "2 progress Loading missing.dl...");
}

}  // namespace
