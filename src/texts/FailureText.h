#pragma once
/// The sentence that says what went wrong with a file, in the system's own words: the words the
/// viewer and the command-line tool both show for a failed open, read, write or expansion.

#include <string>

#include "platform/Result.h"

namespace quillon {

/// "Cannot open 'run.dl': No such file or directory", "'x.dl' is too short to be a log file
/// (...)", "cannot write 'out.csv': Permission denied", ...; empty for a success, a
/// cancellation or a failure without a cause.
std::string FailureText(const Result& result);

/// "a folder", "a FIFO (named pipe)", "a device", ... for a kind of path (an fs::PathKind).
const char* PathKindText(uint64_t kind);

}  // namespace quillon
