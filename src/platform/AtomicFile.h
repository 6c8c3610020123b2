#pragma once
/// The one way the programs write a file: the bytes go to a uniquely named temporary beside the
/// real target (a symlink is followed to the file it names where the protected-symlinks rule
/// allows), every write is checked, the file and then its folder are synced around the rename
/// over the target, and the old file's mode, owner (where permitted) and extended attributes are
/// kept. A read-only target is refused; one with other hard links is overwritten in place from
/// the finished temporary. Otherwise a failed, abandoned or interrupted save leaves the old file
/// whole and no temporary.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileHandle.h"
#include "platform/Result.h"

namespace quillon {

/// The steps of a save, named for fault injection in tests.
/// NoReplaceRename fails as a file system without hard links or no-replace renames (FAT) would.
enum class WriteStep { Create, Write, SyncFile, Rename, SyncFolder, NoReplaceRename };

class AtomicFile {
public:
    /// With `newName` the target is a name for a new file (Publish without replacing): nothing
    /// standing there, a symlink included, is followed or looked at.
    explicit AtomicFile(std::string targetPath, bool newName = false);
    ~AtomicFile();  // removes the temporary file unless it was committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file; false (with Failure()) when the target is a folder, FIFO,
    /// device, read-only file or refused symlink, or the folder is not writable. Stale temporaries
    /// of earlier, dead runs in the same folder are removed first.
    bool Open();
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    /// Finish() and Publish() over the target; false (with Failure()) on any failure, in which case
    /// the target is left as it was and the temporary is gone.
    bool Commit();

    /// Writes out and syncs the temporary, which then holds the whole new content.
    bool Finish();
    /// After Finish(): renames the temporary to `path` (a name in the target's folder) and syncs
    /// the folder. With replace false an existing file at `path` is left alone: false with
    /// *existed set, and the temporary stays for another name.
    bool Publish(const std::string& path, bool replace, bool* existed = nullptr);
    /// Removes the temporary now.
    void Discard();

    /// The resolved target (after following symlinks) and the temporary's path.
    const std::string& Target() const { return m_target; }
    const std::string& TempPath() const { return m_temp; }
    /// Why the last step failed (kind CannotWrite).
    const Result& Failure() const { return m_failure; }
    /// After a successful Publish(): SyncFolderFailed when the folder could not be synced (the
    /// target was replaced, but the new name may not survive a crash); a success otherwise.
    const Result& Warning() const { return m_warning; }

    /// Tests make a step fail by returning true from the hook; an empty hook restores normal
    /// operation.
    static void SetFaultHook(std::function<bool(WriteStep)> hook);
    /// Whether a file name is one of the temporaries this writer makes.
    static bool IsTemporaryName(const std::string& name);

private:
    bool Flush();
    bool Fail(Cause cause, const std::string& path);
    bool Refuse(Cause cause, const std::string& path);
    void Unregister();

    std::string m_requested;
    std::string m_target;
    std::string m_temp;
    FileHandle m_file;
    int m_slot = -1;
    unsigned m_mode = 0644;
    bool m_exists = false;
    bool m_newName = false;
    bool m_finished = false;
    bool m_failed = false;
    std::vector<char> m_buffer;
    Result m_failure;
    Result m_warning;
};

/// Writes the whole content atomically.
Result WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace quillon
