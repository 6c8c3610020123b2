#include "gui/common/FailureMessage.h"

#include "texts/FailureText.h"
#include "texts/UserTexts.h"

namespace quillon {

namespace {

// Failures before a comparison's file could be read as a log: the file could not be opened,
// or a compressed log could not be expanded.
bool ComparisonNotOpened(Cause cause) {
    switch (cause) {
        case Cause::OpenFailed:
        case Cause::NotRegular:
        case Cause::NotDlz:
        case Cause::DecodesTooSmall:
        case Cause::NoDiskSpace:
        case Cause::DecodesToNoLog:
        case Cause::ChangedWhileExpanded:
        case Cause::NoFreeName:
        case Cause::NoMemoryToExpand:
        case Cause::NoTargetName:
        case Cause::TargetNotRegular:
        case Cause::CreateFailed:
        case Cause::WriteFailed:
        case Cause::SetModeFailed:
        case Cause::NotOpen:
        case Cause::NotFinished:
        case Cause::ReplaceFailed:
        case Cause::SyncFolderFailed:
        case Cause::TargetReadOnly:
        case Cause::SymlinkLoop:
        case Cause::UnsafeSymlink:
            return true;
        default:
            return false;
    }
}

// A fixed text with the system's words as its reason.
FailureMessage Fixed(const char* text, const Result& failure, std::string caption = {}) {
    return {std::move(caption), text, FailureText(failure)};
}

}  // namespace

FailureMessage MessageForFailure(const Result& failure) {
    if (failure.cause == Cause::FileChanged || failure.cause == Cause::LogReadFailed)
        return {kAppTitle, FailureText(failure), {}};
    // The fixed text says what is wrong, the line under it which file it is.
    const std::string named = failure.path.empty() ? std::string() : "'" + failure.path + "'";
    if (failure.kind == ErrorKind::WrongVersion && failure.operation != Operation::OpenComparison)
        return {kVersionUnrecognizedCaption, kVersionUnrecognizedText, {}};
    switch (failure.operation) {
        case Operation::OpenComparison:
            if (failure.kind == ErrorKind::WrongMagic)
                return {kInvalidLogfileCaption, kMagicMismatchText, named};
            if (failure.kind == ErrorKind::WrongVersion)
                return {kInvalidLogfileVersionCaption, kComparisonVersionText, {}};
            if (ComparisonNotOpened(failure.cause)) return Fixed(kOpenErrorText, failure);
            return {{}, FailureText(failure), {}};
        case Operation::SaveComparison:
            return Fixed(kSaveErrorText, failure);
        case Operation::ExportCsv:
            if (failure.kind == ErrorKind::Unreadable) return {{}, FailureText(failure), {}};
            return Fixed(failure.kind == ErrorKind::CannotOpen ? kOpenErrorText : kSaveErrorText,
                         failure);
        case Operation::ReadGraph:
            return Fixed(kOpenErrorText, failure);
        case Operation::WriteGraph:
            return Fixed(kSaveErrorText, failure);
        case Operation::SaveLog: {
            // The writer's own words, or what every failed save says.
            std::string text = FailureText(failure);
            return {{}, text.empty() ? std::string(kSaveErrorText) : std::move(text), {}};
        }
        case Operation::OpenLog:
        case Operation::None:
            if (failure.kind == ErrorKind::WrongMagic) return {{}, kMagicMismatchText, named};
            break;
    }
    // The reader's own words, or what every failed open says.
    std::string text = FailureText(failure);
    return {{}, text.empty() ? std::string(kOpenErrorText) : std::move(text), {}};
}

}  // namespace quillon
