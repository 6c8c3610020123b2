#pragma once
/// The texts the user reads in message boxes, titles and the command-line tool's lines that more
/// than one part of the program shows, each defined here once.

namespace quillon {

inline constexpr char kAppTitle[] = "Brenmor Quillon Log Viewer";

inline constexpr char kOpenErrorText[] = "There was an error opening the file";
inline constexpr char kSaveErrorText[] = "There was an error saving the file";

inline constexpr char kMagicMismatchText[] = "Magic Number does not match";
inline constexpr char kVersionUnrecognizedCaption[] = "Logfile Version Unrecognized";
inline constexpr char kVersionUnrecognizedText[] =
    "This logfile appears to be a version the software does not recognize. You may need to run "
    "the logfile conversion tool or upgrade your software. Would you like to run the logfile "
    "conversion tool?";

}  // namespace quillon
