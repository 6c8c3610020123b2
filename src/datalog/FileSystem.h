#pragma once
/// The few operating-system file calls the readers and writers need, in one place so that a port
/// replaces this file only: kinds of paths, non-blocking opening of regular files, unique
/// temporaries, durable writes and renames, and the resources a decode may use.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::fs {

enum class PathKind { Missing, Regular, Folder, Fifo, Device, Socket, Other };

/// What stands at a path, following symlinks; Missing when nothing does or it cannot be asked.
PathKind KindOf(const std::string& path);
/// "a folder", "a FIFO", "a device", ... for messages.
const char* KindText(PathKind kind);

/// The path a write must go to: a symlink is followed (to its final target, even when that does
/// not exist yet); other paths are returned as they are.
std::string ResolveWriteTarget(const std::string& path);
/// The folder part of a path ("." for a bare file name) and the file name.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

/// An open file handle (a POSIX descriptor here).
using Handle = int;
inline constexpr Handle kNoHandle = -1;

/// Opens a regular file for reading without ever blocking: FIFOs, devices, sockets and folders
/// are refused before anything is read. kNoHandle with a message in `error` otherwise.
Handle OpenRegularForReading(const std::string& path, std::string& error);
/// Reads the whole of a regular file (refused as above).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error);
/// Reads up to `size` bytes; fewer only at the end of the file. False on a read error.
bool ReadFully(Handle h, void* data, size_t size, size_t& got);
/// Size of an open file.
std::optional<uint64_t> SizeOf(Handle h);
/// Goes back to the start of an open file.
bool Rewind(Handle h);
void Close(Handle h);

/// Creates a new file named `name` exclusively (never opens an existing one); kNoHandle when it
/// exists or cannot be made (errno kept).
Handle CreateExclusive(const std::string& name, unsigned mode);
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

/// Calls `handler` once when SIGINT or SIGTERM arrives, then lets the signal end the process as
/// it would have; installed once. The handler may only use async-signal-safe calls.
void OnTerminationSignal(void (*handler)());
/// Removes a file from inside a signal handler.
void RemoveFileInSignal(const char* path);

}  // namespace quillon::fs
