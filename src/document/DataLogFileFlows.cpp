#include "document/DataLogFileFlows.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "document/CDataLogDoc.h"
#include "document/Prompt.h"
#include "platform/FileSystem.h"
#include "settings/CPrefs.h"

namespace quillon {

namespace {

const char* const kLogFilter = "Brenmor Quillon Log Viewer Files (*.dl *.dlz);;All Files (*)";
const char* const kSaveFilter = "Brenmor Quillon Log Viewer Files (*.dl)";
const char* const kCompareFilter = "KORA Datalog (*.dl *.dlz)";

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    const std::string other(b);
    if (a.size() != other.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != other[i]) return false;
    return true;
}

// What follows the last dot of the file name; empty without one.
std::string SuffixOf(const std::string& path) {
    const std::string name = fs::FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// The log is always written uncompressed: a name that promised .dlz would not open again.
std::string PlainLogPath(std::string path) {
    const std::string suffix = SuffixOf(path);
    if (EqualsIgnoringCase(suffix, "dlz"))
        path.pop_back();
    else if (!EqualsIgnoringCase(suffix, "dl"))
        path += ".dl";
    return path;
}

// Whether anything, a dangling symlink included, stands at a path.
bool NameTaken(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(fs::PathOf(path), error));
}

// The folder of a path, made absolute against the current folder and without "." or "..", so
// that it still names the same place when it is used later.
std::string AbsoluteFolderOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(fs::PathOf(path), error);
    if (error) return fs::FolderOf(path);
    return fs::FolderOf(fs::Utf8Of(absolute.lexically_normal()));
}

}  // namespace

DataLogFileFlows::DataLogFileFlows(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt,
                                   IFileFlowsHost& host)
    : m_doc(doc), m_prefs(prefs), m_prompt(prompt), m_host(host) {}

std::string DataLogFileFlows::DocumentName() const {
    const std::string& path = m_doc.GetPathName();
    return path.empty() ? std::string("Untitled") : fs::FileNameOf(path);
}

void DataLogFileFlows::ShowFailure(const Result& result) {
    m_prompt.ShowFailure(result);
}

bool DataLogFileFlows::Open() {
    const std::string lastFolder = m_host.LastOpenFolder();
    const std::string folder = lastFolder.empty() ? m_prefs.GetDataLogFolder() : lastFolder;
    const std::string chosen = m_prompt.OpenFileName({"Open", folder, "", kLogFilter});
    if (chosen.empty()) return false;
    return OpenFile(chosen);
}

bool DataLogFileFlows::OpenFile(const std::string& path) {
    if (!SaveModified()) return false;
    // The host may read on another thread: the document changes only once the read is over.
    PendingOpen pending = m_doc.BeginOpen(path);
    Result read =
        m_host.RunCancellable("Loading " + fs::FileNameOf(path) + "...",
                              [&](const ProgressCallback& progress, const CancelCheck& cancelled) {
                                  return CDataLogDoc::ReadOpen(pending, progress, cancelled);
                              });
    const Result result = m_doc.FinishOpen(pending, std::move(read));
    if (result.kind == ErrorKind::WrongVersion) {
        // A log of another layout: the converter is offered, and its result opened if wished.
        if (m_prompt.QuestionAboutFailure(result) != PromptAnswer::No) {
            const std::string converted = m_host.RunConverter(path);
            if (!converted.empty()) return OpenFile(converted);
        }
    } else if (!result && result.kind != ErrorKind::Cancelled) {
        ShowFailure(result);
    }
    if (!result) return false;
    m_hasOpenedLog = true;
    m_host.SetLastOpenFolder(AbsoluteFolderOf(path));
    // An expanded .dlz is remembered by the .dl it became.
    m_host.AddRecentFile(m_doc.GetPathName().empty() ? path : m_doc.GetPathName());
    return true;
}

bool DataLogFileFlows::SaveModified() {
    if (!m_doc.IsModified()) return true;
    switch (m_prompt.QuestionWithCancel("", "Save changes to " + DocumentName() + "?")) {
        case PromptAnswer::Yes:
            return Save();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

bool DataLogFileFlows::Save() {
    const std::string path = m_doc.GetPathName();
    if (path.empty()) return SaveAs();
    return SaveTo(path);
}

bool DataLogFileFlows::SaveAs() {
    const std::string& current = m_doc.GetPathName();
    FileDialogRequest request{"Save As", m_prefs.GetDataLogFolder(), "", kSaveFilter};
    if (!current.empty()) {
        request.folder = AbsoluteFolderOf(current);
        request.fileName = fs::FileNameOf(current);
    }
    const std::string chosen = m_prompt.SaveFileName(request);
    if (chosen.empty()) return false;
    const std::string path = PlainLogPath(chosen);
    // The dialog asked about the name typed; a name this program changed is asked about here.
    if (path != chosen && NameTaken(path) &&
        m_prompt.Question("Save As",
                          fs::FileNameOf(path) + " already exists.\nDo you want to replace it?") !=
            PromptAnswer::Yes)
        return false;
    if (!SaveTo(path)) return false;
    m_doc.SetPathName(path);
    m_host.AddRecentFile(path);
    return true;
}

bool DataLogFileFlows::SaveTo(const std::string& path) {
    const Result result = m_host.RunWithProgress(
        "Saving " + fs::FileNameOf(path) + "...",
        [&](const ProgressCallback& progress) { return m_doc.OnSaveDocument(path, progress); });
    if (!result) ShowFailure(result);
    return result.ok();
}

bool DataLogFileFlows::New() {
    if (!SaveModified()) return false;
    m_doc.OnNewDocument();
    return true;
}

bool DataLogFileFlows::Close() {
    if (!SaveModified()) return false;
    m_doc.OnCloseDocument();
    return true;
}

FileDialogRequest CompareFileRequest(const CPrefs& prefs) {
    return {"Choose Data Log to Compare", prefs.GetDataLogFolder(), "", kCompareFilter};
}

bool DataLogFileFlows::Compare() {
    const std::string chosen = m_prompt.OpenFileName(CompareFileRequest(m_prefs));
    if (chosen.empty()) return false;
    return LoadComparison(chosen);
}

bool DataLogFileFlows::LoadComparison(const std::string& path) {
    const Result result = m_host.RunWithProgress(
        "Loading " + fs::FileNameOf(path) + "...",
        [&](const ProgressCallback& progress) { return m_doc.LoadComparison(path, progress); });
    if (!result) ShowFailure(result);
    return result.ok();
}

}  // namespace quillon
