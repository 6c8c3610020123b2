#include "model/LogOpening.h"

#include <algorithm>
#include <string>

#include "model/ColumnCache.h"
#include "model/FrameDecoding.h"
#include "model/LogFrames.h"
#include "model/LogStore.h"
#include "model/LogSummary.h"
#include "model/StatsKernel.h"
#include "platform/FileSystem.h"

namespace quillon {

void ResetLog(LogData& log) {
    for (int s = 0; s < kSlotCount; ++s) {
        log.values[s].Reset();
        log.status[s].Reset();
    }
    log.offsetMs.Reset();
    log.stats.fill(ChannelStats{});
    log.deviationPending.reset();
    log.statsFirst = log.statsEnd = 0;
    log.frameCount = 0;
    log.firstTimestamp = 0;
    log.maxRpm = 0;
    log.maxMap = 0;
    log.source = ColumnSource{};
    log.cache = ColumnCache{};
}

Result OpenLogColumns(std::shared_ptr<LogStore> store, const DataLogHeader& header,
                      const EcuConfigBlock& config, LogData& log, const std::vector<int>& wanted,
                      bool withStatus, const ProgressCallback& progress,
                      const CancelCheck& cancelled) {
    ResetLog(log);
    const int frames = store->FrameCount();
    const size_t length = size_t(frames) + 1;
    auto outOfMemory = [&] {
        ResetLog(log);
        return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForLog, store->Path())
            .Figures(uint64_t(frames));
    };
    std::vector<int> slots;
    for (int s : wanted)
        if (s > 0 && s < kSlotCount && std::find(slots.begin(), slots.end(), s) == slots.end())
            slots.push_back(s);
    // The columns made at once must fit in the machine: a bigger log (or a sparse file claiming
    // billions of frames) is refused before anything is allocated or read, instead of being
    // read for hours or driving the system into swapping.
    const uint64_t perFrame = 4 + 4 + 8 + uint64_t(slots.size()) * (withStatus ? 8 : 4);
    if (const uint64_t needed = uint64_t(length) * perFrame, memory = fs::TotalMemory();
        needed > memory) {
        ResetLog(log);
        return Result::Failure(ErrorKind::OutOfMemory, Cause::LogTooLargeForMemory, store->Path())
            .Figures(needed, memory);
    }
    if (!log.values[0].Allocate(length) || !log.status[0].Allocate(length) ||
        !log.offsetMs.Allocate(length))
        return outOfMemory();
    for (int s : slots)
        if (!log.values[s].Allocate(length) || (withStatus && !log.status[s].Allocate(length)))
            return outOfMemory();
    auto sums = std::make_unique<SlotSums>();
    sums->Reset();
    std::vector<float> start(kSlotCount, 0.0f), end(kSlotCount, 0.0f);
    // Without memory for the summary the log opens all the same; the chart then reads columns.
    auto summary = std::make_shared<LogSummary>();
    if (!summary->Start(frames)) summary.reset();

    FrameClock clock;
    clock.zeroTime = double(header.Get(DataLogHeader::zeroTime));
    float* time = log.values[0].data();
    int64_t* offsets = log.offsetMs.data();
    std::vector<float*> valueOut;
    std::vector<uint32_t*> statusOut;
    for (int s : slots) {
        valueOut.push_back(log.values[s].data());
        statusOut.push_back(withStatus ? log.status[s].data() : nullptr);
    }
    Result pass = store->Pass(
        0, frames,
        [&](const uint8_t* block, int first, int n) {
            if (cancelled && cancelled()) return false;
            for (int i = 0; i < n; ++i)
                time[first + i] = clock.Frame(block + size_t(i) * kFrameSize, offsets[first + i]);
            sums->Add(block, n);
            if (summary) summary->Add(block, first, n);
            for (size_t k = 0; k < slots.size(); ++k) {
                const int s = slots[k];
                float* v = valueOut[k] + first;
                for (int i = 0; i < n; ++i)
                    v[i] = FrameValue(block + size_t(i) * kFrameSize, s);
                if (uint32_t* st = statusOut[k]) {
                    st += first;
                    for (int i = 0; i < n; ++i)
                        st[i] = FrameStatus(block + size_t(i) * kFrameSize, s);
                }
            }
            if (first == 0)
                for (int s = 0; s < kSlotCount; ++s)
                    start[size_t(s)] = FrameValue(block, s);
            if (first + n == frames)
                for (int s = 0; s < kSlotCount; ++s)
                    end[size_t(s)] = FrameValue(block + size_t(n - 1) * kFrameSize, s);
            return true;
        },
        progress);
    if (!pass.ok()) {
        ResetLog(log);
        return pass;
    }

    log.header = header;
    log.config = config;
    log.frameCount = frames;
    ColumnSource& src = log.source;
    src.store = std::move(store);
    src.length = length;
    src.owned.set(0);
    src.summary = std::move(summary);
    log.cache.SetBudget(DefaultColumnBudget(kFramesOffset + uint64_t(frames) * kFrameSize));

    // The spare element: the partial trailing frame (its missing bytes 0), or 0s.
    if (src.store->TailSize() > 0) {
        time[frames] = clock.Frame(src.store->TailFrame(), offsets[frames]);
    } else {
        time[frames] = 0.0f;
        offsets[frames] = 0;
    }
    std::fill(log.status[0].begin(), log.status[0].end(), 0u);
    for (size_t k = 0; k < slots.size(); ++k) {
        const int s = slots[k];
        FillBeyondFrames(log, valueOut[k], size_t(frames), src.fillValue,
                         [s](const uint8_t* f) { return FrameValue(f, s); });
        if (statusOut[k])
            FillBeyondFrames(log, statusOut[k], size_t(frames), src.fillStatus,
                             [s](const uint8_t* f) { return FrameStatus(f, s); });
        log.cache.Touch(s);
    }
    log.firstTimestamp = clock.first;
    log.maxRpm = clock.maxRpm;
    log.maxMap = clock.maxMap;

    log.statsFirst = 0;
    log.statsEnd = frames;
    if (frames > 0) {
        for (int s = 1; s < kSlotCount; ++s)
            FinishStats(log.stats[size_t(s)], sums->minimum[s], sums->maximum[s], sums->sum[s],
                        start[size_t(s)], end[size_t(s)], uint32_t(frames));
        log.stats[0] = ColumnStats(time, 0, frames);
        log.deviationPending.set();
        log.deviationPending.reset(0);
        ApplySlopes(log.stats.data());
        auto figures = std::make_shared<FileFigures>();
        figures->stats = log.stats;
        figures->deviationPending = log.deviationPending;
        figures->frames = frames;
        src.figures = std::move(figures);
    }
    return {};
}

}  // namespace quillon
