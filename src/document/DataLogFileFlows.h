#pragma once
/// The file commands of the main window without its widgets: Open, Save, Save As, the question
/// whether to save changes, New, Close and Compare. They ask the user through the prompt and
/// leave progress display, the recent-file list and the log converter to the window's host.
/// Paths are the core's (UTF-8).

#include <functional>
#include <string>

#include "document/Prompt.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

class CDataLogDoc;
class CPrefs;

/// What the file commands need from the window that runs them.
class IFileFlowsHost {
public:
    virtual ~IFileFlowsHost() = default;
    /// Runs work that reads or writes a whole log, showing `label` and the work's progress.
    virtual Result RunWithProgress(const std::string& label,
                                   const std::function<Result(const ProgressCallback&)>& work) = 0;
    /// The same for work the user may stop (opening a log): `cancelled` turns true once they
    /// asked. The work touches neither the document nor the window, so the host may run it on
    /// another thread, which then calls `progress` and `cancelled`; this returns once the work
    /// is over. Without a way to stop it here, the work runs as RunWithProgress runs it.
    virtual Result RunCancellable(
        const std::string& label,
        const std::function<Result(const ProgressCallback&, const CancelCheck&)>& work) {
        return RunWithProgress(
            label, [&](const ProgressCallback& progress) { return work(progress, CancelCheck{}); });
    }
    /// The folder the last log was opened from; empty at first.
    virtual std::string LastOpenFolder() = 0;
    virtual void SetLastOpenFolder(const std::string& folder) = 0;
    /// A log was opened or saved under `path`: it goes first in the recent-file list.
    virtual void AddRecentFile(const std::string& path) = 0;
    /// The user asked for the converter after the log at `path`, of another layout, was refused.
    /// The path of the converted log when the user wants it opened, else "".
    virtual std::string RunConverter(const std::string& path) = 0;
};

/// The open dialog of Compare: its caption and filter, starting in the data-log folder.
FileDialogRequest CompareFileRequest(const CPrefs& prefs);

class DataLogFileFlows {
public:
    DataLogFileFlows(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt, IFileFlowsHost& host);

    /// The open dialog, starting in the last open folder (at first the data-log folder), then
    /// OpenFile. False on Cancel or failure.
    bool Open();
    /// Offers the current log for saving, then opens path (.dl, or .dlz expanded beside it) as
    /// the main log. A log of another layout offers the converter; other failures are shown. A
    /// load the user stops leaves the previous log open and says nothing.
    bool OpenFile(const std::string& path);
    /// The save question for a modified log: Yes saves, No goes on; false on Cancel or when the
    /// save fails.
    bool SaveModified();
    /// Saves under the document's path; without one, as Save As.
    bool Save();
    /// The save dialog; the log is always written as a plain .dl. False on Cancel or failure.
    bool SaveAs();
    /// The save question, then an empty document.
    bool New();
    /// The save question, then the document closes (writing the display setup). False when the
    /// user cancels or the save fails: the window must stay.
    bool Close();
    /// The compare dialog, then LoadComparison. False on Cancel or failure.
    bool Compare();
    /// Loads path (.dl, or .dlz expanded beside it) as the comparison log, which closes the
    /// current one with its save question; failures are shown.
    bool LoadComparison(const std::string& path);

    /// True once a log has been opened.
    bool HasOpenedLog() const { return m_hasOpenedLog; }
    /// The document's file name, "Untitled" without a path.
    std::string DocumentName() const;

private:
    bool SaveTo(const std::string& path);
    void ShowFailure(const Result& result);

    CDataLogDoc& m_doc;
    CPrefs& m_prefs;
    IPrompt& m_prompt;
    IFileFlowsHost& m_host;
    bool m_hasOpenedLog = false;
};

}  // namespace quillon
