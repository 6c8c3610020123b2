#pragma once
/// The few operating-system calls the readers and writers need, in one place: kinds of paths,
/// non-blocking opening of regular files, unique temporaries, durable writes and renames, the
/// resources a decode may use, and the program's arguments and standard streams. FileSystem.cpp
/// implements them on POSIX systems, FileSystemWin32.cpp on Windows. Paths are UTF-8 everywhere
/// in the program; the Windows side converts them to UTF-16 for the system.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileHandle.h"
#include "platform/Result.h"

namespace quillon::fs {

enum class PathKind { Missing, Regular, Folder, Fifo, Device, Socket, Other };

/// What stands at a path, following symlinks; Missing when nothing does or it cannot be asked.
PathKind KindOf(const std::string& path);

/// The path a write must go to: a symlink is followed (to its final target, even when that does
/// not exist yet); other paths are returned as they are. A link is followed only where the
/// kernel's protected-symlinks rule would follow it: in a sticky, world-writable folder only when
/// it belongs to this user or to the folder's owner. A refused link or a loop sets `*refused`
/// (UnsafeSymlink, SymlinkLoop).
std::string ResolveWriteTarget(const std::string& path, Cause* refused = nullptr);
/// Whether an existing file may not be written by this user (no write permission, or a
/// read-only file system); such a target is never replaced.
bool IsReadOnlyFile(const std::string& path);
/// Number of names (hard links) of an existing file; 1 when it cannot be asked.
unsigned LinkCount(const std::string& path);
/// Gives an open new file the owner (where permitted) and the extended attributes of the file at
/// `from`; each is best effort, since another user's ownership needs privileges.
void CopyOwnerAndAttributes(const std::string& from, FileHandle::Raw to);
/// Overwrites the file at `to` in place with the content of the file at `from`, so that every
/// name of it sees the new content. The space is reserved before the first byte is overwritten.
bool OverwriteInPlace(const std::string& from, const std::string& to);
/// The folder part of a path ("." for a bare file name) and the file name. Both '/' and, on
/// Windows, '\\' separate folders.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
/// A standard-library path for a UTF-8 path text (a plain std::string would be taken in the
/// local code page on Windows), and back.
inline std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
/// Opens a C stream on a UTF-8 path (fopen's modes).
std::FILE* OpenStream(const std::string& path, const char* mode);
/// Whether two paths name the same existing file (links and different spellings included).
bool SameFile(const std::string& a, const std::string& b);

/// An open file handle: a POSIX descriptor, or a Windows HANDLE (-1 is INVALID_HANDLE_VALUE).
using Handle = FileHandle::Raw;
inline constexpr Handle kNoHandle = FileHandle::kNone;
using quillon::FileHandle;

/// Opens a regular file for reading without ever blocking: FIFOs, devices, sockets and folders
/// are refused before anything is read. An empty handle otherwise, the failure (OpenFailed or
/// NotRegular) in `failure`. The open file never stops another program, or this one, from
/// replacing or removing it.
FileHandle OpenRegularForReading(const std::string& path, Result* failure = nullptr);
/// Reads the whole of a regular file (refused as above).
Result ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);
/// Reads the rest of an open file from where it stands; ReadFailed or FileTooLarge name `path`.
Result ReadRest(Handle h, const std::string& path, std::vector<uint8_t>& out);
/// Reads up to `size` bytes; fewer only at the end of the file. False on a read error.
bool ReadFully(Handle h, void* data, size_t size, size_t& got);
/// Size of an open file.
std::optional<uint64_t> SizeOf(Handle h);
/// Reads up to `size` bytes at byte `offset` (the file position is not used); fewer only at the
/// end of the file. False on a read error.
bool ReadAt(Handle h, uint64_t offset, void* data, size_t size, size_t& got);
/// Asks the system to read `length` bytes at `offset` into its cache in the background, for a
/// read that follows soon; false where it cannot (the caller then just reads).
bool AdviseWillRead(Handle h, uint64_t offset, uint64_t length);
/// The identity of an open file (see FileIdentity).
using quillon::FileIdentity;
std::optional<FileIdentity> IdentityOf(Handle h);
/// Tests make the reads of ReadFully and ReadAt fail with this system error (EIO, ENXIO); 0
/// restores normal reading.
void SetReadFault(int error);
/// Maps `size` bytes of an open file read-only and private, for one sequential pass at a time;
/// nullptr when the system refuses (or on systems where it is not used). Nothing is ever written
/// through the mapping.
const uint8_t* MapReadOnly(Handle h, uint64_t size);
void Unmap(const uint8_t* data, uint64_t size);
/// Runs `body(context)`; false when the memory of a mapped file vanished under it (the file was
/// truncated by another program), in which case `body` was left where it stood. `body` must not
/// own resources that need unwinding.
bool RunGuardedAgainstVanishedMapping(void (*body)(void*), void* context);
/// Goes back to the start of an open file.
bool Rewind(Handle h);
void Close(Handle h);

/// Creates a new file named `name` exclusively (never opens an existing one); empty when it
/// exists or cannot be made (errno kept).
FileHandle CreateExclusive(const std::string& name, unsigned mode);
/// Writes all bytes, retrying short writes. False on failure (errno kept).
bool WriteAll(Handle h, const void* data, size_t size);
/// Makes the file's bytes durable.
bool SyncFile(Handle h);
/// Makes the entries of a folder (a rename into it) durable.
bool SyncFolder(const std::string& folder);
/// The permission bits of an existing file; nothing when there is none.
std::optional<unsigned> ModeOf(const std::string& path);
/// Sets permission bits on an open file.
bool SetMode(Handle h, unsigned mode);
/// The permission bits a new file gets by default (0666 less the process's umask).
unsigned DefaultNewFileMode();
/// Renames `from` over `to`, replacing it.
bool RenameReplace(const std::string& from, const std::string& to);
/// Renames `from` to `to` only when nothing stands at `to`; false with `exists` set otherwise.
bool RenameNoReplace(const std::string& from, const std::string& to, bool& exists);
/// Makes a new file `to` (only when nothing stands there; `exists` set otherwise) holding the
/// bytes and permission bits of the file `from`, synced. Nothing is left at `to` on failure.
bool CopyToNewFile(const std::string& from, const std::string& to, bool& exists);
/// The user's cache folder for this program ($XDG_CACHE_HOME or ~/.cache, then "quillon"; the
/// local application data on Windows); empty when there is none. It is not created here.
std::string UserCacheFolder();
/// The folder of the summaries kept from opening passes: $QUILLON_SUMMARY_CACHE when it is set
/// (an absolute path; anything else, such as "off", turns the cache off), else
/// $XDG_CACHE_HOME/quillon/summaries, else
/// ~/.cache/quillon/summaries; %LOCALAPPDATA%\quillon\summaries on Windows. Empty when there is
/// none. It is not created here.
std::string SummaryCacheFolder();
bool RemoveFile(const std::string& path);
/// Text of the last failing call's error.
std::string LastErrorText();

/// This process's id and the time it started (seconds since 1970).
long ProcessId();
int64_t ProcessStartTime();
/// Whether a process with this id exists.
bool ProcessExists(long pid);
/// Names (not paths) of the entries of a folder.
std::vector<std::string> FolderEntries(const std::string& folder);
/// Last modification time of a path (seconds since 1970), without following symlinks.
std::optional<int64_t> ModifiedTime(const std::string& path);

/// Bytes that can still be written into the folder's file system.
std::optional<uint64_t> FreeDiskSpace(const std::string& folder);
/// Bytes of memory that can be had without swapping.
uint64_t AvailableMemory();
/// Bytes of memory the machine has (or this process may use, when that is less).
uint64_t TotalMemory();
/// Asks the system to map the pages of a large fresh allocation at once (a hint; may do nothing).
void PrefaultPages(void* data, size_t bytes);

/// Calls `handler` once when SIGINT or SIGTERM arrives, then lets the signal end the process as
/// it would have; installed once. The handler may only use async-signal-safe calls.
void OnTerminationSignal(void (*handler)());
/// Removes a file from inside a signal handler.
void RemoveFileInSignal(const char* path);

/// The program's arguments as UTF-8 texts (on Windows taken from the UTF-16 command line, since
/// argv holds them in the local code page).
std::vector<std::string> Arguments(int argc, char** argv);
/// Makes stdout and stderr write bytes as given (no "\r\n" for "\n") and UTF-8 text readable on
/// a console, so that the programs print the same bytes on every system.
void PrepareStandardStreams();
/// Whether a stream is a terminal (for progress lines).
bool IsTerminal(std::FILE* stream);
/// The user's documents folder, the one lookup of the viewer and the command-line tool:
/// $XDG_DOCUMENTS_DIR, else the XDG user-dirs file's entry, else $HOME/Documents on POSIX
/// systems; the shell's personal folder on Windows. "." when there is none.
std::string DocumentsFolder();

}  // namespace quillon::fs
