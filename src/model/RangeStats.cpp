#include "model/RangeStats.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>

#include "model/ColumnCache.h"
#include "model/FrameDecoding.h"
#include "model/LogFrames.h"
#include "model/LogStore.h"
#include "model/StatsKernel.h"

namespace quillon {

Result StatsOfRange(const LogData& log, int first, int end, bool fileSlots, bool deviations,
                    std::array<ChannelStats, kSlotCount>& out, std::bitset<kSlotCount>* pending) {
    first = std::max(first, 0);
    end = std::min(end, std::max(log.frameCount, 0));
    const bool store = log.source.store != nullptr;
    for (int s = 0; s < kSlotCount; ++s) {
        if (store && !log.source.owned[size_t(s)]) continue;
        const Column<float>& column = log.values[s];
        out[size_t(s)] = first < end && column.size() >= size_t(end)
                             ? ColumnStats(column.data(), first, end)
                             : ChannelStats{};
    }
    if (store && fileSlots) {
        auto sums = std::make_unique<SlotSums>();
        sums->Reset();
        std::vector<float> start(kSlotCount, 0.0f), last(kSlotCount, 0.0f);
        Result pass = first < end
                          ? VisitFrames(log, first, end,
                                        [&](const uint8_t* frames, int at, int n) {
                                            sums->Add(frames, n);
                                            if (at == first)
                                                for (int s = 0; s < kSlotCount; ++s)
                                                    start[size_t(s)] = FrameValue(frames, s);
                                            if (at + n == end)
                                                for (int s = 0; s < kSlotCount; ++s)
                                                    last[size_t(s)] = FrameValue(
                                                        frames + size_t(n - 1) * kFrameSize, s);
                                            return true;
                                        })
                          : Result{};
        if (!pass.ok()) return pass;
        for (int s = 0; s < kSlotCount; ++s) {
            if (!IsFileSlot(log, s)) continue;
            out[size_t(s)] = ChannelStats{};
            if (first >= end) continue;
            FinishStats(out[size_t(s)], sums->minimum[s], sums->maximum[s], sums->sum[s],
                        start[size_t(s)], last[size_t(s)], uint32_t(end - first));
            if (!deviations && pending) pending->set(size_t(s));
        }
        if (deviations && first < end) {
            auto squares = std::make_unique<SlotSquares>();
            squares->Reset(out);
            pass = VisitFrames(log, first, end, [&](const uint8_t* frames, int, int n) {
                squares->Add(frames, n);
                return true;
            });
            if (!pass.ok()) return pass;
            for (int s = 0; s < kSlotCount; ++s)
                if (IsFileSlot(log, s))
                    out[size_t(s)].standardDeviation =
                        Deviation(squares->squares[s], uint32_t(end - first));
        }
    }
    ApplySlopes(out.data());
    return {};
}

namespace {

// The opening pass's figures when [first, end) is every frame of the file as it was opened.
FileFigures* WholeFileFigures(const LogData& log, int first, int end) {
    const ColumnSource& src = log.source;
    FileFigures* whole = src.figures.get();
    if (!src.store || !whole || src.first != 0 || whole->frames != log.frameCount ||
        std::max(first, 0) != 0 || std::min(end, log.frameCount) != log.frameCount ||
        log.frameCount <= 0)
        return nullptr;
    return whole;
}

}  // namespace

Result ComputeLogStats(LogData& log, int first, int end, bool fileSlots, bool deviations) {
    if (FileFigures* whole = fileSlots ? WholeFileFigures(log, first, end) : nullptr) {
        // The whole file's figures are the opening pass's: only the slots held in memory are
        // computed anew, and the deviations still pending take one pass.
        Result result = StatsOfRange(log, first, end, false, true, log.stats);
        if (!result.ok()) return result;
        for (int s = 0; s < kSlotCount; ++s) {
            if (!IsFileSlot(log, s)) continue;
            log.stats[size_t(s)] = whole->stats[size_t(s)];
            log.deviationPending[size_t(s)] = whole->deviationPending[size_t(s)];
        }
        for (int s = 0; s < kSlotCount; ++s)
            if (!IsFileSlot(log, s)) log.deviationPending.reset(size_t(s));
        ApplySlopes(log.stats.data());
        log.statsFirst = 0;
        log.statsEnd = log.frameCount;
        return deviations ? EnsureDeviations(log) : Result{};
    }
    std::bitset<kSlotCount> pending;
    Result result = StatsOfRange(log, first, end, fileSlots, deviations, log.stats, &pending);
    if (!result.ok()) return result;
    if (!log.source.store || fileSlots) {
        log.statsFirst = std::max(first, 0);
        log.statsEnd = std::min(end, std::max(log.frameCount, 0));
        log.deviationPending = pending;
    } else {
        // The slots held in memory (math channels, edits) were computed whole, deviations
        // included; a later pass over the file must not replace them with the file's figures.
        for (int s = 0; s < kSlotCount; ++s)
            if (!IsFileSlot(log, s)) log.deviationPending.reset(size_t(s));
    }
    return result;
}

bool RetimeStats(LogData& log) {
    const int first = std::max(log.statsFirst, 0);
    const int end = std::min(log.statsEnd, log.frameCount);
    const Column<float>& time = log.values[0];
    ChannelStats& st = log.stats[0];
    if (first >= end || time.size() < size_t(end) || st.count != uint32_t(end - first))
        return false;
    // Slot 0's start and end values are the times of the range's ends when the figures were
    // made; bits are compared, so that a NaN time never counts as unmoved.
    const auto same = [](float a, float b) {
        return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
    };
    if (same(time[size_t(first)], st.startValue) && same(time[size_t(end - 1)], st.endValue))
        return false;
    st = ColumnStats(time.data(), first, end);
    ApplySlopes(log.stats.data());
    return true;
}

Result EnsureDeviations(LogData& log, const std::vector<int>& wanted) {
    std::vector<int> pending;
    if (wanted.empty()) {
        for (int s = 0; s < kSlotCount; ++s)
            if (log.deviationPending[size_t(s)]) pending.push_back(s);
    } else {
        for (int s : wanted)
            if (s >= 0 && s < kSlotCount && log.deviationPending[size_t(s)]) pending.push_back(s);
    }
    if (pending.empty()) return {};
    const int first = log.statsFirst, end = log.statsEnd;
    auto clear = [&] {
        for (int s : pending)
            log.deviationPending.reset(size_t(s));
    };
    // Deviations over the whole file are kept with its figures for the next whole-log request.
    auto keep = [&] {
        if (FileFigures* whole = WholeFileFigures(log, first, end))
            for (int s : pending)
                if (IsFileSlot(log, s)) {
                    whole->stats[size_t(s)].standardDeviation =
                        log.stats[size_t(s)].standardDeviation;
                    whole->deviationPending.reset(size_t(s));
                }
    };
    if (first >= end) {
        clear();
        return {};
    }
    const uint32_t count = uint32_t(end - first);
    // A few wanted whose columns exist are done from memory; others go through one pass over
    // the file, which gives every slot's squares at once: making whole columns for them would
    // make the memory grow with the log.
    const bool inColumns = std::all_of(pending.begin(), pending.end(),
                                       [&](int s) { return log.values[s].size() >= size_t(end); });
    if (pending.size() <= 32 && inColumns && EnsureColumns(log, pending)) {
        for (int s : pending) {
            ChannelStats& st = log.stats[size_t(s)];
            st.standardDeviation =
                Deviation(ColumnSquares(log.values[s].data(), first, end, st.average), count);
        }
        keep();
        clear();
        return {};
    }
    auto squares = std::make_unique<SlotSquares>();
    squares->Reset(log.stats);
    Result pass = VisitFrames(log, first, end, [&](const uint8_t* frames, int, int n) {
        squares->Add(frames, n);
        return true;
    });
    if (!pass.ok()) return pass;
    // The pass gave the squares of every file slot: the other pending ones are done as well.
    for (int s = 0; s < kSlotCount; ++s)
        if (log.deviationPending[size_t(s)] && IsFileSlot(log, s) &&
            std::find(pending.begin(), pending.end(), s) == pending.end())
            pending.push_back(s);
    // A slot held in memory differs from the file's values: its column is read instead.
    for (int s : pending) {
        ChannelStats& st = log.stats[size_t(s)];
        const bool inMemory = !IsFileSlot(log, s) && log.values[s].size() >= size_t(end);
        st.standardDeviation =
            inMemory ? Deviation(ColumnSquares(log.values[s].data(), first, end, st.average), count)
                     : Deviation(squares->squares[s], count);
    }
    keep();
    clear();
    return {};
}

BackgroundDeviations::BackgroundDeviations() = default;

BackgroundDeviations::~BackgroundDeviations() {
    Stop();
}

bool BackgroundDeviations::Start(const LogData& log, std::function<void()> done) {
    Stop();
    m_slots.reset();
    for (int s = 1; s < kSlotCount; ++s)
        if (log.deviationPending[size_t(s)] && IsFileSlot(log, s)) m_slots.set(size_t(s));
    if (m_slots.none() || !log.source.store || log.statsFirst >= log.statsEnd) return false;
    m_store = log.source.store;
    m_offset = log.source.first;
    m_first = log.statsFirst;
    m_end = log.statsEnd;
    m_squares = std::make_unique<SlotSquares>();
    m_squares->Reset(log.stats);
    m_read = false;
    m_stop = false;
    m_finished = false;
    try {
        m_thread = std::thread([this, done = std::move(done)] {
            m_read = m_store
                         ->SharedPass(m_offset + m_first, m_offset + m_end,  // past a cropped start
                                      [this](const uint8_t* frames, int, int n) {
                                          if (m_stop.load(std::memory_order_relaxed)) return false;
                                          m_squares->Add(frames, n);
                                          return true;
                                      })
                         .ok();
            m_finished = true;
            if (!m_stop && done) done();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void BackgroundDeviations::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_read = false;
}

bool BackgroundDeviations::Apply(LogData& log) {
    if (!m_thread.joinable()) return false;
    m_thread.join();
    if (!m_read || log.source.store != m_store || log.source.first != m_offset ||
        log.statsFirst != m_first || log.statsEnd != m_end)
        return false;
    // A slot whose average moved, or that now lives in memory, is not the one the squares were
    // summed for.
    std::vector<int> applied;
    for (int s = 1; s < kSlotCount; ++s)
        if (m_slots[size_t(s)] && log.deviationPending[size_t(s)] && IsFileSlot(log, s) &&
            std::bit_cast<uint32_t>(log.stats[size_t(s)].average) ==
                std::bit_cast<uint32_t>(m_squares->average[s]))
            applied.push_back(s);
    FileFigures* whole = WholeFileFigures(log, m_first, m_end);
    for (int s : applied) {
        ChannelStats& st = log.stats[size_t(s)];
        st.standardDeviation = Deviation(m_squares->squares[s], uint32_t(m_end - m_first));
        log.deviationPending.reset(size_t(s));
        if (whole) {
            whole->stats[size_t(s)].standardDeviation = st.standardDeviation;
            whole->deviationPending.reset(size_t(s));
        }
    }
    return !applied.empty();
}

}  // namespace quillon
