#pragma once
/// Runs in a log: stretches of frames that begin where a start condition holds and end where an
/// end condition next holds (or at the log's last frame), each with the largest value of a
/// chosen channel. Conditions read as auto zero reads its trigger.

#include <cstdint>
#include <vector>

#include "model/LogData.h"
#include "model/ZeroTime.h"
#include "platform/Result.h"

namespace quillon {

/// A channel (1..440) compared with a value: below it (kAutoZeroLessThan) or above it
/// (kAutoZeroGreaterThan). Equal values and NaN never match.
struct RunCondition {
    int channel = 2;
    uint32_t condition = kAutoZeroGreaterThan;
    float value = 0.0f;

    bool Holds(float v) const { return condition == kAutoZeroGreaterThan ? v > value : v < value; }
    bool Valid() const {
        return channel >= 1 && channel <= kSlotCount &&
               (condition == kAutoZeroLessThan || condition == kAutoZeroGreaterThan);
    }
};

struct RunSearch {
    RunCondition start;
    RunCondition end;
    /// Runs shorter than this many seconds are left out.
    float minDuration = 0.0f;
    /// The channel whose largest value each run reports; 0 for none.
    int maxChannel = 0;
};

struct Run {
    int firstFrame = 0;
    /// The frame where the end condition holds, or the log's last frame.
    int lastFrame = 0;
    /// The two frames' times on the log's time axis.
    float start = 0.0f;
    float end = 0.0f;
    /// Seconds from the first frame to the last, from the frames' millisecond timestamps.
    double duration = 0.0;
    /// False when the log ended before the end condition held.
    bool endFound = true;
    /// The largest value of the chosen channel over frames firstFrame..lastFrame (NaN values
    /// left out); NaN without a channel or a number.
    float maximum = 0.0f;
};

/// The columns of these slots (negative ones left out), made from the log's file in one pass;
/// a failure says why they could not be made (the file changed or failed, memory ran out).
Result MakeColumns(LogData& log, const std::vector<int>& slots);

/// Finds the runs of frames [0, frameCount): a run starts at the first frame where the start
/// condition holds and ends at the first later frame where the end condition holds, or at the
/// last frame; the next run is looked for after that frame. Only the columns of the channels
/// named are read. Invalid conditions find nothing. A failure when the columns could not be
/// made (`runs` is then empty).
Result FindRuns(LogData& log, const RunSearch& search, std::vector<Run>& runs);

}  // namespace quillon
