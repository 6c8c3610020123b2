#pragma once
/// The comparison log beside the main log: loading with both logs padded to a common display
/// length, saving, zero time, auto zero and nudging. The document wraps these with its messages,
/// questions, update hints, cursor, edited flag, math channels and statistics.

#include <cstdint>
#include <string>

#include "model/DataLogFile.h"
#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

inline constexpr const char* kComparisonEditedCaption = "Comparison Logfile Edited";
inline constexpr const char* kComparisonEditedQuestion =
    "The current comparison logfile has changed, would you like to save the changes?";
inline constexpr const char* kSetComparisonZeroTimeCaption = "Set Comparison Zero Time";
inline constexpr const char* kSetComparisonZeroTimeQuestion =
    "Would you like to use the current point as the zero time for the comparison logfile?";
inline constexpr const char* kComparisonAutoZeroFailedCaption = "Comparison Auto Zero Failed";

/// Reads the V4 log at `path` as the comparison of `main`. On success `comparison` holds it
/// with columns of L + 1 elements, frames from its own count on holding the no-value marker
/// (value -999999.0, status -999999), and when it is the longer log `main`'s columns are
/// lengthened the same way (main's frame count and statistics stay). Statistics and math
/// channels are left to the caller. On failure neither log is changed; the result is marked as
/// a comparison's (Operation::OpenComparison). A compressed log is expanded beside it first;
/// *openedPath receives the path of the log read.
Result LoadComparisonLog(const std::string& path, LogData& main, LogData& comparison,
                         const ProgressCallback& progress = {}, const ReadOptions& options = {},
                         std::string* openedPath = nullptr);
/// The same from a reader whose Open succeeded on a log (not a compressed one).
Result LoadComparisonLog(DataLogReader& reader, LogData& main, LogData& comparison,
                         const ProgressCallback& progress = {}, const ReadOptions& options = {});

/// Frees the comparison's columns; frame count and first timestamp become 0.
void CloseComparisonLog(LogData& comparison);

/// Writes the comparison to `path` atomically (the old file stays whole on failure).
Result SaveComparisonLog(const std::string& path, LogData& comparison);

/// The comparison's zero time at cursor frame k: at the comparison's own frame k when the cursor
/// is on the comparison, else at the main log's time of frame k. False (nothing changed) when
/// there is no such frame.
bool SetComparisonZeroTime(LogData& comparison, const LogData& main, int frame,
                           bool cursorOnComparison);

/// Shifts the comparison by n x 0.1 seconds (rounded to f32): its zero time decreases by the
/// step and every time that is not the marker increases by it.
void NudgeComparison(LogData& comparison, int n);
/// Shifts the comparison by `step` seconds as the nudges do: its zero time decreases by the step
/// and every time that is not the marker increases by it.
void ShiftComparison(LogData& comparison, float step);

}  // namespace quillon
