#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/FileSystem.h"

namespace quillon {

namespace {

constexpr size_t kBufferSize = size_t(1) << 20;
// Temporary names: ".NAME.quillon-PID-N.tmp" beside NAME, hidden from ordinary listings and
// recognisable by the sweep of a later run.
constexpr std::string_view kTempMarker = ".quillon-";
constexpr std::string_view kTempSuffix = ".tmp";

std::atomic<unsigned> g_counter{0};
std::function<bool(WriteStep)> g_faultHook;

bool Injected(WriteStep step, int error = EIO) {
    if (g_faultHook && g_faultHook(step)) {
        errno = error;
        return true;
    }
    return false;
}

// Paths of the temporaries being written, for the signal handler: plain C strings in fixed
// slots, which the handler can read without allocating or locking.
constexpr int kSlots = 32;
std::atomic<char*> g_active[kSlots];

void RemoveActiveTemporaries() {
    for (auto& slot : g_active)
        if (char* path = slot.load()) fs::RemoveFileInSignal(path);
}

int Register(const std::string& path) {
    fs::OnTerminationSignal(RemoveActiveTemporaries);
    char* copy = ::strdup(path.c_str());
    if (!copy) return -1;
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_active[i].compare_exchange_strong(expected, copy)) return i;
    }
    std::free(copy);  // more saves at once than slots: the sweep of a later run covers it
    return -1;
}

/// The process id in a temporary's name, or 0 when the name is not one of ours.
long TemporaryOwner(const std::string& name) {
    if (name.size() < 2 || name[0] != '.' || name.size() <= kTempSuffix.size() ||
        name.compare(name.size() - kTempSuffix.size(), kTempSuffix.size(), kTempSuffix) != 0)
        return 0;
    size_t marker = name.rfind(kTempMarker);
    if (marker == std::string::npos || marker == 0) return 0;
    const char* p = name.c_str() + marker + kTempMarker.size();
    char* end = nullptr;
    long pid = std::strtol(p, &end, 10);
    if (end == p || *end != '-') return 0;
    const char* n = end + 1;
    std::strtoul(n, &end, 10);
    if (end == n || std::string_view(end) != kTempSuffix) return 0;
    return pid;
}

/// Removes temporaries left in `folder` by runs that were killed: ours by name, older than this
/// process and made by a process that is gone. Each folder is looked at once per run.
void SweepStaleTemporaries(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(folder).second) return;
    }
    const int64_t start = fs::ProcessStartTime();
    for (const std::string& name : fs::FolderEntries(folder)) {
        const long owner = TemporaryOwner(name);
        if (owner == 0 || owner == fs::ProcessId() || fs::ProcessExists(owner)) continue;
        std::string path = folder;
        path.append("/").append(name);
        auto modified = fs::ModifiedTime(path);
        if (modified && *modified < start && fs::KindOf(path) == fs::PathKind::Regular)
            fs::RemoveFile(path);
    }
}

}  // namespace

AtomicFile::AtomicFile(std::string targetPath, bool newName)
    : m_requested(std::move(targetPath)), m_newName(newName) {}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::SetFaultHook(std::function<bool(WriteStep)> hook) {
    g_faultHook = std::move(hook);
}

bool AtomicFile::IsTemporaryName(const std::string& name) {
    return TemporaryOwner(name) != 0;
}

void AtomicFile::Unregister() {
    if (m_slot >= 0) std::free(g_active[m_slot].exchange(nullptr));
    m_slot = -1;
}

void AtomicFile::Discard() {
    m_file.Reset();
    if (!m_temp.empty()) fs::RemoveFile(m_temp);
    m_temp.clear();
    Unregister();
}

bool AtomicFile::Refuse(Cause cause, const std::string& path) {
    m_failure = Result::Failure(ErrorKind::CannotWrite, cause, path);
    return false;
}

bool AtomicFile::Fail(Cause cause, const std::string& path) {
    m_failure = Result::Failure(ErrorKind::CannotWrite, cause, path, fs::LastErrorText());
    m_failed = true;
    Discard();
    return false;
}

bool AtomicFile::Open() {
    Discard();
    m_failed = false;
    m_finished = false;
    m_failure = {};
    if (m_requested.empty()) return Refuse(Cause::NoTargetName, {});
    Cause refused = Cause::None;
    m_target = m_newName ? m_requested : fs::ResolveWriteTarget(m_requested, &refused);
    if (refused != Cause::None) return Refuse(refused, m_requested);
    const fs::PathKind kind = m_newName ? fs::PathKind::Missing : fs::KindOf(m_target);
    if (kind != fs::PathKind::Regular && kind != fs::PathKind::Missing) {
        Refuse(Cause::TargetNotRegular, m_requested);
        m_failure.Figures(uint64_t(kind));
        return false;
    }
    if (kind == fs::PathKind::Regular && fs::IsReadOnlyFile(m_target))
        return Refuse(Cause::TargetReadOnly, m_requested);
    m_exists = kind == fs::PathKind::Regular;
    m_mode = fs::ModeOf(m_target).value_or(fs::DefaultNewFileMode());
    const std::string folder = fs::FolderOf(m_target);
    SweepStaleTemporaries(folder);
    const std::string stem = (folder == "." && m_target.find('/') == std::string::npos
                                  ? std::string()
                                  : folder + (folder == "/" ? "" : "/")) +
                             "." + fs::FileNameOf(m_target) + std::string(kTempMarker) +
                             std::to_string(fs::ProcessId()) + "-";
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        std::string temp = stem + std::to_string(g_counter++) + std::string(kTempSuffix);
        if (Injected(WriteStep::Create, EACCES)) break;  // as a folder that takes no new files
        m_file = fs::CreateExclusive(temp, 0600);
        if (m_file)
            m_temp = temp;
        else if (errno != EEXIST)
            break;
    }
    if (!m_file) {
        m_failure = Result::Failure(ErrorKind::CannotWrite, Cause::CreateFailed, m_target,
                                    fs::LastErrorText());
        return false;
    }
    m_slot = Register(m_temp);
    m_buffer.clear();
    m_buffer.reserve(kBufferSize);
    return true;
}

bool AtomicFile::Flush() {
    if (m_buffer.empty()) return true;
    if (Injected(WriteStep::Write) || !fs::WriteAll(m_file.Get(), m_buffer.data(), m_buffer.size()))
        return Fail(Cause::WriteFailed, m_target);
    m_buffer.clear();
    return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
    if (!m_file || m_failed || m_finished) return false;
    const char* p = static_cast<const char*>(data);
    if (m_buffer.size() + size > kBufferSize) {
        if (!Flush()) return false;
        if (size >= kBufferSize) {  // large pieces go straight to the file
            if (Injected(WriteStep::Write) || !fs::WriteAll(m_file.Get(), p, size))
                return Fail(Cause::WriteFailed, m_target);
            return true;
        }
    }
    m_buffer.insert(m_buffer.end(), p, p + size);
    return true;
}

bool AtomicFile::Finish() {
    if (m_finished) return true;
    if (!m_file || m_failed) return m_failure.ok() ? Refuse(Cause::NotOpen, m_target) : false;
    if (!Flush()) return false;
    // Owner and attributes go first: a change of owner clears the set-id bits of the mode.
    if (m_exists) fs::CopyOwnerAndAttributes(m_target, m_file.Get());
    if (!fs::SetMode(m_file.Get(), m_mode)) return Fail(Cause::SetModeFailed, m_target);
    if (Injected(WriteStep::SyncFile) || !fs::SyncFile(m_file.Get()))
        return Fail(Cause::WriteFailed, m_target);
    m_file.Reset();
    m_finished = true;
    return true;
}

bool AtomicFile::Publish(const std::string& path, bool replace, bool* existed) {
    if (existed) *existed = false;
    if (!m_finished) return m_failure.ok() ? Refuse(Cause::NotFinished, m_target) : false;
    bool exists = false;
    // A file with other names (hard links) is written in place, so that every name keeps
    // seeing it; a rename would leave the other names on the old content.
    if (replace && path == m_target && m_exists && fs::LinkCount(m_target) > 1) {
        if (Injected(WriteStep::Rename) || !fs::OverwriteInPlace(m_temp, m_target))
            return Fail(Cause::ReplaceFailed, path);
        Discard();
        return true;
    }
    bool renamed =
        !Injected(WriteStep::Rename) && (replace ? fs::RenameReplace(m_temp, path)
                                                 : !Injected(WriteStep::NoReplaceRename, EPERM) &&
                                                       fs::RenameNoReplace(m_temp, path, exists));
    // FAT and exFAT refuse hard links and may refuse no-replace renames: the new name is then
    // made exclusively and filled from the finished temporary.
    if (!renamed && !replace && !exists &&
        (errno == EPERM || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        renamed = fs::CopyToNewFile(m_temp, path, exists);
        if (renamed) fs::RemoveFile(m_temp);
    }
    if (!renamed) {
        if (exists) {
            if (existed) *existed = true;
            return false;
        }
        return Fail(Cause::ReplaceFailed, path);
    }
    m_temp.clear();
    Unregister();
    // The new name is durable only once the folder is synced; the content already is. The
    // target has been replaced either way, so a failed sync is a warning, not a failed save.
    if (Injected(WriteStep::SyncFolder) || !fs::SyncFolder(fs::FolderOf(path)))
        m_warning = Result::Failure(ErrorKind::CannotWrite, Cause::SyncFolderFailed, path,
                                    fs::LastErrorText());
    return true;
}

bool AtomicFile::Commit() {
    return Finish() && Publish(m_target, true);
}

Result WriteFileAtomically(const std::string& path, std::string_view content) {
    AtomicFile file(path);
    if (file.Open() && file.Write(content) && file.Commit()) return {};
    return file.Failure();
}

}  // namespace quillon
