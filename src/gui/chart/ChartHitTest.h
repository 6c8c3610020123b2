#pragma once
/// What a click in the plotting area picks: the frame at the clicked time (with the comparison
/// log's rules) and the curve nearest to the click.

#include <vector>

#include <QPointF>

#include "gui/chart/ChartLayout.h"
#include "gui/chart/ChartModel.h"
#include "gui/chart/ChartTypes.h"

namespace quillon {

/// The frame times of one log.
struct LogTimes {
    const float* time = nullptr;
    int count = 0;

    static LogTimes Of(const LogData& log);
    bool Empty() const { return count <= 0 || !time; }
    double First() const { return time[0]; }
    double Last() const { return time[count - 1]; }
};

/// The frame nearest to time t (a tie goes to the earlier frame); -1 without frames.
int NearestFrame(const LogTimes& log, float t);

/// The frame picked by a click at time t: the nearest main frame within the main log's span,
/// else the nearest comparison frame within the comparison's span, else frame 0 before the
/// start of either log, else the last frame of the log that ends later (the comparison's on a
/// tie). comparison is null without a comparison log.
int FrameAtClick(const LogTimes& main, const LogTimes* comparison, double t);

/// The subset whose point at `frame` lies vertically nearest to pixel row y: items in item
/// order, main before comparison, the earlier candidate on a tie; only visible items, and only
/// points that exist and are not the no-value marker. Raw values are measured even where the
/// curve is drawn filtered. itemMappings[k] maps item k's values; -1 pixels x are not used.
/// Subset 0 when nothing qualifies.
int NearestSubset(const ChartModel& model, int frame, const std::vector<PlotMapping>& itemMappings,
                  double y);

/// What a click picks: a frame (-1: nothing, the click is ignored) and a subset.
struct CursorPick {
    int frame = -1;
    int subset = 0;
};

/// The cursor a click at pos picks: nothing unless pos lies strictly inside a panel; else the
/// frame at the clicked time (FrameAtClick) and the subset nearest to the click there.
CursorPick PickCursor(const ChartModel& model, const ChartLayout& layout, const TimeWindow& window,
                      const LogTimes& main, const LogTimes* comparison, const QPointF& pos);

}  // namespace quillon
