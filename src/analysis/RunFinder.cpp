#include "analysis/RunFinder.h"

#include <algorithm>
#include <cmath>

#include "model/LogColumns.h"
#include "model/LogStore.h"

namespace quillon {

Result MakeColumns(LogData& log, const std::vector<int>& slots) {
    if (EnsureColumns(log, slots)) return {};
    const LogStore* store = log.source.store.get();
    if (store && store->Broken()) return store->BrokenFailure();
    return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForLog,
                           store ? store->Path() : std::string())
        .Figures(uint64_t(std::max(log.frameCount, 0)));
}

Result FindRuns(LogData& log, const RunSearch& search, std::vector<Run>& runs) {
    runs.clear();
    if (!search.start.Valid() || !search.end.Valid() || log.frameCount <= 0) return {};
    const bool hasMax = search.maxChannel >= 1 && search.maxChannel <= kSlotCount;
    if (Result made = MakeColumns(log, {search.start.channel - 1, search.end.channel - 1,
                                        hasMax ? search.maxChannel - 1 : -1});
        !made)
        return made;
    const float* startValues = log.values[size_t(search.start.channel - 1)].data();
    const float* endValues = log.values[size_t(search.end.channel - 1)].data();
    const float* maxValues = hasMax ? log.values[size_t(search.maxChannel - 1)].data() : nullptr;
    const float* time = log.values[0].data();
    const int n = log.frameCount;
    // Durations come from whole milliseconds, so that "at least 2 s" keeps a run of exactly
    // 2.000 s whatever the rounding of the two f32 times.
    const auto minMs = int64_t(std::ceil(double(search.minDuration) * 1000.0 - 0.5));

    for (int i = 0; i < n;) {
        while (i < n && !search.start.Holds(startValues[i]))
            ++i;
        if (i >= n) break;
        int j = i + 1;
        while (j < n && !search.end.Holds(endValues[j]))
            ++j;
        Run run;
        run.firstFrame = i;
        run.endFound = j < n;
        run.lastFrame = run.endFound ? j : n - 1;
        const int64_t ms = FrameOffsetMs(log, run.lastFrame) - FrameOffsetMs(log, i);
        if (ms >= minMs) {
            run.start = time[i];
            run.end = time[run.lastFrame];
            run.duration = double(ms) / 1000.0;
            run.maximum = NAN;
            if (maxValues) {
                float best = -INFINITY;
                bool any = false;
                for (int k = i; k <= run.lastFrame; ++k) {
                    if (maxValues[k] >= best) {  // NaN never is
                        best = maxValues[k];
                        any = true;
                    }
                }
                if (any) run.maximum = best;
            }
            runs.push_back(run);
        }
        i = run.lastFrame + 1;
    }
    return {};
}

}  // namespace quillon
