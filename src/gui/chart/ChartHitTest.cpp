#include "gui/chart/ChartHitTest.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gui/chart/CurveEnvelope.h"
#include "model/FrameAtTime.h"

namespace quillon {

LogTimes LogTimes::Of(const LogData& log) {
    LogTimes t;
    if (log.frameCount <= 0 || log.values[0].size() < static_cast<size_t>(log.frameCount)) return t;
    t.time = log.values[0].data();
    t.count = log.frameCount;
    return t;
}

int NearestFrame(const LogTimes& log, float t) {
    return log.Empty() ? -1 : FrameAtTime(log.time, log.count, t);
}

int FrameAtClick(const LogTimes& main, const LogTimes* comparison, double t) {
    const float tf = static_cast<float>(t);
    if (!comparison) return NearestFrame(main, tf);
    const bool hasMain = !main.Empty();
    const bool hasComparison = !comparison->Empty();
    if (hasMain && t >= main.First() && t <= main.Last()) return NearestFrame(main, tf);
    if (hasComparison && t >= comparison->First() && t <= comparison->Last())
        return NearestFrame(*comparison, tf);
    if ((hasMain && t < main.First()) || (hasComparison && t < comparison->First())) return 0;
    if (!hasComparison) return hasMain ? main.count - 1 : -1;
    if (!hasMain) return comparison->count - 1;
    return main.Last() > comparison->Last() ? main.count - 1 : comparison->count - 1;
}

int NearestSubset(const ChartModel& model, int frame, const std::vector<PlotMapping>& itemMappings,
                  double y) {
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int k = 0; k < ChartModel::kItemCount; ++k) {
        const ChartItem& item = model.Item(k);
        if (!item.visible || static_cast<size_t>(k) >= itemMappings.size()) continue;
        const PlotMapping& m = itemMappings[static_cast<size_t>(k)];
        for (bool comparison : {false, true}) {
            if (comparison && !model.HasComparison()) break;
            const float v = (comparison ? item.comparison : item.main).RawAt(frame);
            if (!CurveEnvelope::IsDrawable(v)) continue;
            const double d = std::abs(m.Y(v) - y);
            if (d < bestDistance) {
                bestDistance = d;
                best = model.SubsetOf(k, comparison);
            }
        }
    }
    return best;
}

CursorPick PickCursor(const ChartModel& model, const ChartLayout& layout, const TimeWindow& window,
                      const LogTimes& main, const LogTimes* comparison, const QPointF& pos) {
    CursorPick pick;
    if (layout.PanelAt(pos) < 0) return pick;
    PlotMapping area;
    area.left = layout.PlotArea().left();
    area.width = layout.PlotArea().width();
    area.window = window;
    pick.frame = FrameAtClick(main, comparison, area.TimeAt(pos.x()));
    if (pick.frame >= 0)
        pick.subset = NearestSubset(model, pick.frame, layout.Mappings(model, window), pos.y());
    return pick;
}

}  // namespace quillon
