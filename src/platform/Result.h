#pragma once
/// The outcome of a core operation that can fail, as data: what kind of failure it was, its
/// particular cause, what was being done, the file concerned, the system's own words for the
/// call that failed and the figures a message needs. The user interfaces word it (the viewer's
/// message boxes, the command-line tool's lines); the core carries no user texts.

#include <cstdint>
#include <string>
#include <utility>

namespace quillon {

enum class ErrorKind {
    None,
    CannotOpen,    // the file could not be opened or read
    Unreadable,    // its contents are not a log (too short, truncated, damaged)
    WrongMagic,    // another kind of file
    WrongVersion,  // a log of another layout
    OutOfMemory,
    CannotWrite,
    Cancelled,  // the user stopped the work; nothing was changed
};

/// The particular failure. The comment names the fields it fills besides `path`.
enum class Cause {
    None,
    // Opening and reading a file.
    OpenFailed,    // system
    NotRegular,    // figures[0]: the fs::PathKind found there
    ReadFailed,    // system
    FileTooLarge,  // the whole file does not fit in memory
    // The first bytes of a log.
    TooShort,          // figures: the file's size, the least size of a log
    BadMagic,          //
    BadVersion,        //
    TooManyFrames,     //
    HeaderIncomplete,  //
    NoOpenFile,        // a read without an open file
    NoFile,            // a pass over a log that has no file
    FileChanged,       // the open log's file was truncated or rewritten by another program
    NoMemoryForLog,    // figures[0]: frames
    NoMemoryForComparison,
    // Writing a file (the atomic writer and the log writer).
    NoTargetName,
    TargetNotRegular,  // figures[0]: the fs::PathKind found there
    CreateFailed,      // path: the target; system
    WriteFailed,       // system
    SetModeFailed,     // system
    NotOpen,
    NotFinished,
    ReplaceFailed,     // system
    SyncFolderFailed,  // system
    TargetExists,      // a file the operation must not replace is there
    TargetReadOnly,    // the target has no write permission: it is not replaced
    SymlinkLoop,       // the target's symbolic links lead round in a loop
    UnsafeSymlink,     // a link in a shared sticky folder that neither we nor its owner made
    NotAGraphFile,     // the current .graph file does not read as one: it is not written over
    ColumnsShort,      // the log's columns are shorter than its frame count
    NoMemoryToWrite,
    NoMemoryToDetach,  // a log written over its own file could not be read into memory
    // Compressed logs.
    NotDlz,
    DecodesTooSmall,       // figures[0]: decoded bytes
    NoDiskSpace,           // other: the folder; figures: bytes needed, bytes free
    DecodesToNoLog,        // inner: why the decoded bytes are no log
    ChangedWhileExpanded,  //
    NoFreeName,            //
    NoMemoryToExpand,      //
    DecodedTooLarge,       // figures: decoded bytes, bytes that may be used
    DecodedNoMemory,       //
    DecodedNotALog,        // decoded in memory, the bytes are no log
    // Reading a file that another program changes, or that the system cannot read.
    LogReadFailed,         // system: an open log's frames could not be read (an I/O error)
    ChangedWhileRead,      // a file read by a command changed before it was read to its end
    LogTooLargeForMemory,  // figures: bytes the log needs in memory, bytes the machine has
    UnknownVersion,        // figures: the major and minor version numbers found
};

/// What was being done: the same cause reads differently for each.
enum class Operation {
    None,
    OpenLog,
    OpenComparison,
    SaveLog,
    SaveComparison,
    ExportCsv,
    ReadGraph,
    WriteGraph,
};

struct Result {
    ErrorKind kind = ErrorKind::None;
    Cause cause = Cause::None;
    Operation operation = Operation::None;
    std::string path;    // the file concerned
    std::string other;   // a second path a message names (the folder of NoDiskSpace)
    std::string system;  // the system's words for the call that failed (errno, GetLastError)
    uint64_t figures[2] = {0, 0};
    Cause inner = Cause::None;  // the cause beneath this one (DecodesToNoLog)

    bool ok() const { return kind == ErrorKind::None; }
    explicit operator bool() const { return ok(); }

    static Result Success() { return {}; }
    static Result Failure(ErrorKind kind, Cause cause, std::string path = {},
                          std::string system = {}) {
        Result r;
        r.kind = kind;
        r.cause = cause;
        r.path = std::move(path);
        r.system = std::move(system);
        return r;
    }
    Result& Figures(uint64_t first, uint64_t second = 0) {
        figures[0] = first;
        figures[1] = second;
        return *this;
    }
    /// Marks what was being done; a success stays a success.
    Result& During(Operation op) {
        if (!ok()) operation = op;
        return *this;
    }
};

}  // namespace quillon
