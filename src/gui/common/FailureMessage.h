#pragma once
/// The viewer's words for a failed operation: the caption and text of the message box that
/// tells of it, and the system's reason where the text itself gives none.

#include <string>

#include "platform/Result.h"

namespace quillon {

inline constexpr char kInvalidLogfileCaption[] = "Invalid Logfile";
inline constexpr char kInvalidLogfileVersionCaption[] = "Invalid Logfile Version";
inline constexpr char kComparisonVersionText[] =
    "This does not appear to be a V4 logfile. Please convert it before using as a comparison.";

struct FailureMessage {
    std::string caption;  // empty: the application's title
    std::string text;     // the message box text
    std::string reason;   // the system's words, when the text does not already give them
};

/// The message box for a failure: for a log that is of another version, the question whether
/// to run the conversion tool (the caller asks it).
FailureMessage MessageForFailure(const Result& failure);

}  // namespace quillon
