#pragma once
/// Zero time, start and end points and auto zero of one log (main or comparison). The document
/// wraps these with its questions, messages, update hints, cursor and modified flags.

#include <cstdint>

#include "model/FrameAtTime.h"
#include "model/LogData.h"

namespace quillon {

inline constexpr const char* kSetZeroTimeCaption = "Set Zero Time";
inline constexpr const char* kSetZeroTimeQuestion =
    "Would you like to use the current point as the zero time for this logfile?";
inline constexpr const char* kSetStartPointCaption = "Set Start Point";
inline constexpr const char* kSetStartPointQuestion =
    "Would you like to use the current point as the start point for this logfile?";
inline constexpr const char* kSetEndPointCaption = "Set End Point";
inline constexpr const char* kSetEndPointQuestion =
    "Would you like to use the current point as the end point for this logfile?";
inline constexpr const char* kAutoZeroFailedCaption = "Auto Zero Failed";
inline constexpr const char* kConditionNotFoundText = "The condition was not found.";

/// Condition indices of auto zero (the order of the "Is" list).
inline constexpr uint32_t kAutoZeroLessThan = 0;
inline constexpr uint32_t kAutoZeroGreaterThan = 1;

/// Milliseconds from the log's first timestamp to frame i: the frame's own timestamp when the log
/// was read from a file and its time was not moved since, else recovered from its time and the
/// zero time (exact for logs up to about two hours, as f32 times are).
int64_t FrameOffsetMs(const LogData& log, int frame);

/// Makes frame k's instant the zero time: `zeroTime` becomes its distance from the first
/// timestamp and every time is recomputed from it (the marker is left alone), exactly as a
/// reopened file would give them, so setting it twice equals setting it once. False (nothing
/// changed) when k is not a frame of the log.
bool SetZeroTimeAtFrame(LogData& log, int frame);

/// The same for an instant t on this log's time axis that need not be one of its frames (the
/// other log's time at the cursor). False (nothing changed) without frames, or when t is the
/// no-value marker or not finite.
bool SetZeroTimeAtTime(LogData& log, float t);

/// Crops the frames before k: the first timestamp advances to frame k's, `zeroTime` becomes 0
/// and frame k becomes frame 0 at time 0. The columns keep room for `otherLength` frames (the
/// other log sharing the display), filled with the no-value marker beyond the log's own frames.
/// Statistics are left to the caller. False (nothing changed) when k is not a frame.
bool SetStartPoint(LogData& log, int frame, int otherLength = 0);

/// Crops the frames after k (frames 0..k remain); times and `zeroTime` are unchanged. Columns
/// as for SetStartPoint. False (nothing changed) when k is not a frame.
bool SetEndPoint(LogData& log, int frame, int otherLength = 0);

/// What FindAutoZeroFrame gives when the channel's values could not be read (the file changed
/// or failed, or memory ran out): no answer, which is not "not found".
inline constexpr int kAutoZeroReadFailed = -2;

/// The first frame whose value of channel c (1..440) is below (condition 0) or above (condition
/// 1) the trigger; equal values and NaN never match. -1 when none matches or an argument is out
/// of range, kAutoZeroReadFailed when the channel's column could not be made.
int FindAutoZeroFrame(LogData& log, int channel, uint32_t condition, float trigger);

/// FindAutoZeroFrame, then the zero time at the frame found. The frame, or -1 (nothing changed;
/// the caller shows kConditionNotFoundText), or kAutoZeroReadFailed (nothing changed).
int AutoZero(LogData& log, int channel, uint32_t condition, float trigger);

}  // namespace quillon
