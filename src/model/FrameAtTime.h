#pragma once
/// The frame nearest to a time: the question the cursor, the zoom commands and the batch verbs
/// all ask of a log's time column.

#include "model/LogData.h"

namespace quillon {

/// Index of the frame of `time[0..count)` nearest to t; a tie goes to the earlier frame. Times
/// before the first frame answer 0, from the last frame on count - 1; -1 without frames.
int FrameAtTime(const float* time, int count, float t);

/// The same over a log's time column (slot 0); -1 when the column is shorter than the log.
int NearestFrameAtTime(const LogData& log, float t);

}  // namespace quillon
