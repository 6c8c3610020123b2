#include "texts/FailureText.h"

#include "platform/FileSystem.h"
#include "texts/UserTexts.h"

namespace quillon {

const char* PathKindText(uint64_t kind) {
    switch (fs::PathKind(kind)) {
        case fs::PathKind::Missing:
            return "missing";
        case fs::PathKind::Regular:
            return "a file";
        case fs::PathKind::Folder:
            return "a folder";
        case fs::PathKind::Fifo:
            return "a FIFO (named pipe)";
        case fs::PathKind::Device:
            return "a device";
        case fs::PathKind::Socket:
            return "a socket";
        case fs::PathKind::Other:
            return "not a regular file";
    }
    return "not a regular file";
}

std::string FailureText(const Result& r) {
    const std::string quoted = "'" + r.path + "'";
    const std::string n0 = std::to_string(r.figures[0]), n1 = std::to_string(r.figures[1]);
    const std::string mb0 = std::to_string(r.figures[0] >> 20);
    const std::string mb1 = std::to_string(r.figures[1] >> 20);
    switch (r.cause) {
        case Cause::None:
            return {};
        case Cause::OpenFailed:
            return "Cannot open " + quoted + ": " + r.system;
        case Cause::NotRegular:
            return quoted + " is " + PathKindText(r.figures[0]) + ", not a log file";
        case Cause::ReadFailed:
            return "Cannot read " + quoted + ": " + r.system;
        case Cause::FileTooLarge:
            return quoted + " does not fit in memory";
        case Cause::TooShort:
            return quoted + " is too short to be a log file (" + n0 +
                   " bytes; a log has at least " + n1 + ")";
        case Cause::BadMagic:
            return kMagicMismatchText;
        case Cause::BadVersion:
            return kVersionUnrecognizedText;
        case Cause::TooManyFrames:
            return quoted + " has too many frames to be loaded";
        case Cause::HeaderIncomplete:
            return "The header of " + quoted + " could not be read completely";
        case Cause::NoOpenFile:
            return "No log file is open";
        case Cause::NoFile:
            return "the log has no file";
        case Cause::FileChanged:
            return quoted +
                   " was changed by another program while it was open. The log has been closed.";
        case Cause::NoMemoryForLog:
            return "There is not enough memory to load " + quoted + " (" + n0 + " frames)";
        case Cause::NoMemoryForComparison:
            return "There is not enough memory to load " + quoted + " as a comparison";
        case Cause::NoTargetName:
            return "no file name given";
        case Cause::TargetNotRegular:
            return "cannot write " + quoted + ": it is " + PathKindText(r.figures[0]) +
                   ", not a regular file";
        case Cause::CreateFailed:
            return "cannot create a file beside " + quoted + ": " + r.system;
        case Cause::WriteFailed:
            return "cannot write " + quoted + ": " + r.system;
        case Cause::SetModeFailed:
            return "cannot set the permissions of " + quoted + ": " + r.system;
        case Cause::NotOpen:
            return "file not open";
        case Cause::NotFinished:
            return "file not finished";
        case Cause::ReplaceFailed:
            return "cannot replace " + quoted + ": " + r.system;
        case Cause::SyncFolderFailed:
            return "cannot sync the folder of " + quoted + ": " + r.system;
        case Cause::TargetExists:
            return quoted + " already exists";
        case Cause::TargetReadOnly:
            return "cannot write " + quoted + ": the file is read-only";
        case Cause::SymlinkLoop:
            return "cannot write " + quoted + ": its symbolic links lead round in a loop";
        case Cause::NotAGraphFile:
            return quoted + " is not a display setup (.graph) file: it was left as it is";
        case Cause::UnsafeSymlink:
            return "cannot write " + quoted +
                   ": it is a symbolic link in a shared folder, made by another user";
        case Cause::ColumnsShort:
            return "the log's columns are shorter than its frame count";
        case Cause::NoMemoryToWrite:
            return "not enough memory";
        case Cause::NoMemoryToDetach:
            return "not enough memory to write the log over its own file";
        case Cause::NotDlz:
            return quoted + " is not a .dlz file";
        case Cause::DecodesTooSmall:
            return quoted + " does not hold a log (it decodes to " + n0 + " bytes)";
        case Cause::NoDiskSpace:
            return "There is not enough free space in '" + r.other + "' to expand " + quoted +
                   " (" + mb0 + " MB needed, " + mb1 + " MB free)";
        case Cause::DecodesToNoLog: {
            Result inner = r;
            inner.cause = r.inner;
            inner.inner = Cause::None;
            const std::string reason = r.inner == Cause::BadMagic     ? kMagicMismatchText
                                       : r.inner == Cause::BadVersion ? kVersionUnrecognizedCaption
                                                                      : FailureText(inner);
            return quoted + " does not decode to a version 0.4 log (" + reason + ")";
        }
        case Cause::ChangedWhileExpanded:
            return quoted + " changed while it was expanded";
        case Cause::NoFreeName:
            return "There is no free name beside " + quoted + " to expand it to";
        case Cause::NoMemoryToExpand:
            return "There is not enough memory to expand " + quoted;
        case Cause::DecodedTooLarge:
            return (r.path.empty() ? std::string() : quoted + ": ") + "the decoded log (" + mb0 +
                   " MB) does not fit in memory (" + mb1 + " MB can be used)";
        case Cause::DecodedNoMemory:
            return (r.path.empty() ? std::string() : quoted + ": ") +
                   "the decoded log does not fit in memory";
        case Cause::DecodedNotALog:
            return quoted + " does not decode to a log";
        case Cause::LogReadFailed:
            return "Cannot read " + quoted + ": " + r.system + ". The log has been closed.";
        case Cause::ChangedWhileRead:
            return quoted + " was changed by another program while it was read";
        case Cause::LogTooLargeForMemory:
            return quoted + " is too large for the memory of this computer (" + mb0 +
                   " MB needed, " + mb1 + " MB installed)";
        case Cause::UnknownVersion:
            return quoted + " is a log of an unknown version (" + n0 + "." + n1 + ")";
    }
    return {};
}

}  // namespace quillon
