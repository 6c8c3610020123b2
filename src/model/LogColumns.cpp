#include "model/LogColumns.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "format/ByteRecord.h"
#include "model/LogStore.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

constexpr float kLargest = 3.4028235e38f;

bool IsDiagSlot(int s) {
    return s >= kFirstDiagSlot && s <= kLastDiagSlot;
}

inline float FrameValue(const uint8_t* frame, int s) {
    return LoadF32(frame + 8 * size_t(s));
}

inline uint32_t FrameStatus(const uint8_t* frame, int s) {
    return IsDiagSlot(s) ? 0u : LoadU32(frame + 8 * size_t(s) + 4);
}

void UpdateMaximum(float& maximum, float value) {
    if (value >= maximum || std::isnan(value) || std::isnan(maximum)) maximum = value;
}

bool ValidSlot(int s) {
    return s >= 0 && s < kSlotCount;
}

// Running minimum, maximum and sum of every slot over whole frames, each slot's figures the
// plain single-precision ones in frame order. Four slots share a vector: a frame's bytes hold
// value and status of each slot, so two loads and one shuffle give four values.
struct Sums {
    alignas(16) float minimum[kSlotCount];
    alignas(16) float maximum[kSlotCount];
    alignas(16) float sum[kSlotCount];

    void Reset() {
        std::fill(std::begin(minimum), std::end(minimum), kLargest);
        std::fill(std::begin(maximum), std::end(maximum), -kLargest);
        std::fill(std::begin(sum), std::end(sum), 0.0f);
    }

    void Add(const uint8_t* frames, int n) {
        int s = 0;
#if defined(__SSE2__)
        for (; s + 4 <= kSlotCount; s += 4) {
            __m128 mn = _mm_load_ps(minimum + s);
            __m128 mx = _mm_load_ps(maximum + s);
            __m128 sm = _mm_load_ps(sum + s);
            const uint8_t* p = frames + 8 * size_t(s);
            for (int i = 0; i < n; ++i, p += kFrameSize) {
                const __m128 a = _mm_loadu_ps(reinterpret_cast<const float*>(p));
                const __m128 b = _mm_loadu_ps(reinterpret_cast<const float*>(p + 16));
                const __m128 v = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
                // _mm_min_ps(v, m) is "v < m ? v : m" lane by lane: a NaN never replaces m.
                mn = _mm_min_ps(v, mn);
                mx = _mm_max_ps(v, mx);
                sm = _mm_add_ps(sm, v);
            }
            _mm_store_ps(minimum + s, mn);
            _mm_store_ps(maximum + s, mx);
            _mm_store_ps(sum + s, sm);
        }
#endif
        for (; s < kSlotCount; ++s) {
            float mn = minimum[s], mx = maximum[s], sm = sum[s];
            for (int i = 0; i < n; ++i) {
                const float v = FrameValue(frames + size_t(i) * kFrameSize, s);
                mn = v < mn ? v : mn;
                mx = v > mx ? v : mx;
                sm = sm + v;
            }
            minimum[s] = mn;
            maximum[s] = mx;
            sum[s] = sm;
        }
    }
};

// Sums of squared deviations from each slot's average, in frame order.
struct Squares {
    alignas(16) float average[kSlotCount];
    alignas(16) float squares[kSlotCount];

    void Add(const uint8_t* frames, int n) {
        int s = 0;
#if defined(__SSE2__)
        for (; s + 4 <= kSlotCount; s += 4) {
            const __m128 avg = _mm_load_ps(average + s);
            __m128 q = _mm_load_ps(squares + s);
            const uint8_t* p = frames + 8 * size_t(s);
            for (int i = 0; i < n; ++i, p += kFrameSize) {
                const __m128 a = _mm_loadu_ps(reinterpret_cast<const float*>(p));
                const __m128 b = _mm_loadu_ps(reinterpret_cast<const float*>(p + 16));
                const __m128 d = _mm_sub_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)), avg);
                q = _mm_add_ps(q, _mm_mul_ps(d, d));
            }
            _mm_store_ps(squares + s, q);
        }
#endif
        for (; s < kSlotCount; ++s) {
            float q = squares[s];
            for (int i = 0; i < n; ++i) {
                const float d = FrameValue(frames + size_t(i) * kFrameSize, s) - average[s];
                const float square = d * d;
                q = q + square;
            }
            squares[s] = q;
        }
    }
};

// Time, millisecond offset and running maxima of frames read in order.
struct TimeState {
    uint64_t first = 0;
    double zeroTime = 0;
    float maxRpm = 0;
    float maxMap = 0;

    void Frame(const uint8_t* frame, float& time, int64_t& offset) {
        const uint64_t stamp = LoadU64(frame);
        if (first == 0) first = stamp;
        // A timestamp before the first one gives a negative time, not a wrapped huge one.
        const int64_t ms = int64_t(stamp - first);
        offset = ms;
        time = float(double(ms) / 1000.0 - zeroTime);
        UpdateMaximum(maxRpm, FrameValue(frame, kRpmSlot));
        UpdateMaximum(maxMap, FrameValue(frame, kMapSlot));
    }
};

// Elements from `from` on that are not frames of the file: the partial trailing frame, or fill.
template <class T, class FromFrame>
void FillBeyondFrames(const LogData& log, T* column, size_t from, T fill, FromFrame fromFrame) {
    const ColumnSource& src = log.source;
    for (size_t i = from; i < src.length; ++i) {
        if (i == size_t(log.frameCount) && src.spareFromFile)
            column[i] = fromFrame(src.store->TailFrame());
        else
            column[i] = fill;
    }
}

size_t FileColumnBytes(const LogData& log) {
    size_t bytes = 0;
    for (int s = 0; s < kSlotCount; ++s)
        if (!log.source.owned[size_t(s)])
            bytes += log.values[s].size() * sizeof(float) + log.status[s].size() * sizeof(uint32_t);
    return bytes;
}

// Drops the least recently used columns made from the file, except the protected ones and those
// a holder shares, until `incoming` more bytes fit in the budget.
void Trim(const LogData& log, size_t incoming, const std::vector<bool>& keep) {
    const ColumnSource& src = log.source;
    size_t bytes = FileColumnBytes(log);
    while (bytes + incoming > src.budgetBytes) {
        int oldest = -1;
        for (int s = 0; s < kSlotCount; ++s) {
            if (src.owned[size_t(s)] || keep[size_t(s)]) continue;
            if (!log.values[s].data() && !log.status[s].data()) continue;
            if (log.values[s].Shared() || log.status[s].Shared()) continue;
            if (oldest < 0 || src.lastUse[size_t(s)] < src.lastUse[size_t(oldest)]) oldest = s;
        }
        if (oldest < 0) return;
        bytes -= log.values[oldest].size() * sizeof(float) +
                 log.status[oldest].size() * sizeof(uint32_t);
        log.values[oldest].Reset();
        log.status[oldest].Reset();
    }
}

void ApplySlopes(std::array<ChannelStats, kSlotCount>& stats) {
    // Slope against the time range of slot 0 over the same frames; slot 0's own slope is
    // delta / delta (1, or NaN for a single frame).
    const float timeDelta = stats[0].startValue - stats[0].endValue;
    for (ChannelStats& st : stats)
        if (st.count) st.slope = st.delta / timeDelta;
}

void Finish(ChannelStats& st, float minimum, float maximum, float sum, float start, float end,
            uint32_t n) {
    st.minimum = minimum;
    st.maximum = maximum;
    st.average = sum / float(n);
    st.startValue = start;
    st.endValue = end;
    st.delta = start - end;
    st.count = n;
}

}  // namespace

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
}

size_t DefaultColumnBudget(uint64_t fileSize) {
    return (size_t(24) << 20) + size_t(fileSize / 25);
}

ChannelStats ColumnStats(const float* values, int first, int end) {
    ChannelStats st;
    if (!values || first >= end) return st;
    float minimum = kLargest, maximum = -kLargest, sum = 0.0f;
    for (int i = first; i < end; ++i) {
        const float v = values[i];
        minimum = v < minimum ? v : minimum;
        maximum = v > maximum ? v : maximum;
        sum = sum + v;
    }
    const uint32_t n = uint32_t(end - first);
    Finish(st, minimum, maximum, sum, values[first], values[end - 1], n);
    float squares = 0.0f;
    for (int i = first; i < end; ++i) {
        const float d = values[i] - st.average;
        const float square = d * d;
        squares = squares + square;
    }
    st.standardDeviation = std::sqrt(squares / float(n));
    return st;
}

Result OpenLogColumns(std::shared_ptr<LogStore> store, const DataLogHeader& header,
                      const EcuConfigBlock& config, LogData& log, const std::vector<int>& wanted,
                      bool withStatus, const ProgressCallback& progress) {
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
    if (!log.values[0].Allocate(length) || !log.status[0].Allocate(length) ||
        !log.offsetMs.Allocate(length))
        return outOfMemory();
    for (int s : slots)
        if (!log.values[s].Allocate(length) || (withStatus && !log.status[s].Allocate(length)))
            return outOfMemory();
    auto sums = std::make_unique<Sums>();
    sums->Reset();
    std::vector<float> start(kSlotCount, 0.0f), end(kSlotCount, 0.0f);

    TimeState state;
    state.zeroTime = double(header.Get(DataLogHeader::zeroTime));
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
            for (int i = 0; i < n; ++i)
                state.Frame(block + size_t(i) * kFrameSize, time[first + i], offsets[first + i]);
            sums->Add(block, n);
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
    src.budgetBytes = DefaultColumnBudget(kFramesOffset + uint64_t(frames) * kFrameSize);
    src.owned.set(0);

    // The spare element: the partial trailing frame (its missing bytes 0), or 0s.
    const bool tail = src.store->TailSize() > 0;
    if (tail) {
        state.Frame(src.store->TailFrame(), time[frames], offsets[frames]);
    } else {
        time[frames] = 0.0f;
        offsets[frames] = 0;
    }
    std::fill(log.status[0].begin(), log.status[0].end(), 0u);
    for (size_t k = 0; k < slots.size(); ++k) {
        const int s = slots[k];
        FillBeyondFrames(log, valueOut[k], size_t(frames), 0.0f,
                         [&](const uint8_t* f) { return tail ? FrameValue(f, s) : 0.0f; });
        if (statusOut[k])
            FillBeyondFrames(log, statusOut[k], size_t(frames), 0u,
                             [&](const uint8_t* f) { return tail ? FrameStatus(f, s) : 0u; });
        src.lastUse[size_t(s)] = ++src.clock;
    }
    log.firstTimestamp = state.first;
    log.maxRpm = state.maxRpm;
    log.maxMap = state.maxMap;

    log.statsFirst = 0;
    log.statsEnd = frames;
    if (frames > 0) {
        for (int s = 1; s < kSlotCount; ++s)
            Finish(log.stats[size_t(s)], sums->minimum[s], sums->maximum[s], sums->sum[s],
                   start[size_t(s)], end[size_t(s)], uint32_t(frames));
        log.stats[0] = ColumnStats(time, 0, frames);
        log.deviationPending.set();
        log.deviationPending.reset(0);
        ApplySlopes(log.stats);
    }
    return {};
}

bool IsFileSlot(const LogData& log, int slot) {
    return log.source.store && ValidSlot(slot) && !log.source.owned[size_t(slot)];
}

bool EnsureColumns(const LogData& log, const std::vector<int>& wanted, bool withStatus) {
    ColumnSource& src = const_cast<LogData&>(log).source;
    if (!src.store) return true;
    std::vector<bool> keep(kSlotCount, false);
    std::vector<int> values, status;
    for (int s : wanted) {
        if (!IsFileSlot(log, s) || keep[size_t(s)]) continue;
        keep[size_t(s)] = true;
        src.lastUse[size_t(s)] = ++src.clock;
        if (log.values[s].size() != src.length) values.push_back(s);
        if (withStatus && log.status[s].size() != src.length) status.push_back(s);
    }
    if (values.empty() && status.empty()) return !src.store->Broken();
    if (src.store->Broken()) return false;
    Trim(log, (values.size() + status.size()) * src.length * 4, keep);

    auto undo = [&] {
        for (int s : values)
            log.values[s].Reset();
        for (int s : status)
            log.status[s].Reset();
        return false;
    };
    for (int s : values)
        if (!log.values[s].Allocate(src.length)) return undo();
    for (int s : status)
        if (!log.status[s].Allocate(src.length)) return undo();

    const int frames = log.frameCount;
    const Result pass = src.store->Pass(
        src.first, src.first + frames, [&](const uint8_t* block, int fileFrame, int n) {
            const size_t at = size_t(fileFrame - src.first);
            for (int s : values) {
                float* v = log.values[s].data() + at;
                for (int i = 0; i < n; ++i)
                    v[i] = FrameValue(block + size_t(i) * kFrameSize, s);
            }
            for (int s : status) {
                uint32_t* v = log.status[s].data() + at;
                for (int i = 0; i < n; ++i)
                    v[i] = FrameStatus(block + size_t(i) * kFrameSize, s);
            }
            return true;
        });
    if (!pass.ok()) return undo();
    const bool tail = src.store->TailSize() > 0;
    for (int s : values)
        FillBeyondFrames(log, log.values[s].data(), size_t(frames), src.fillValue,
                         [&](const uint8_t* f) { return tail ? FrameValue(f, s) : 0.0f; });
    for (int s : status)
        FillBeyondFrames(log, log.status[s].data(), size_t(frames), src.fillStatus,
                         [&](const uint8_t* f) { return tail ? FrameStatus(f, s) : 0u; });
    return true;
}

bool EnsureAllColumns(const LogData& log) {
    std::vector<int> all(kSlotCount);
    for (int s = 0; s < kSlotCount; ++s)
        all[size_t(s)] = s;
    const_cast<LogData&>(log).source.budgetBytes = SIZE_MAX;
    return EnsureColumns(log, all, true);
}

bool DetachFromFile(LogData& log) {
    if (!log.source.store) return true;
    if (!EnsureAllColumns(log)) return false;
    log.source = ColumnSource{};
    return true;
}

namespace {

// One element of a slot's column, from the file, through `decode`.
template <class T, class Decode>
T ElementFromFile(const LogData& log, int slot, int frame, T fill, T broken, Decode decode) {
    const ColumnSource& src = log.source;
    if (frame < 0 || size_t(frame) >= src.length) return fill;
    if (frame >= log.frameCount) {
        if (frame == log.frameCount && src.spareFromFile)
            return src.store->TailSize() > 0 ? decode(src.store->TailFrame(), slot) : T(0);
        return fill;
    }
    T value = broken;
    const Result pass = src.store->Pass(src.first + frame, src.first + frame + 1,
                                        [&](const uint8_t* block, int, int) {
                                            value = decode(block, slot);
                                            return true;
                                        });
    return pass.ok() ? value : broken;
}

}  // namespace

float ValueAt(const LogData& log, int slot, int frame) {
    if (!ValidSlot(slot) || frame < 0) return kNoValue;
    const Column<float>& column = log.values[slot];
    if (size_t(frame) < column.size()) return column[size_t(frame)];
    if (!IsFileSlot(log, slot)) return kNoValue;
    return ElementFromFile(log, slot, frame, log.source.fillValue, kNoValue, FrameValue);
}

uint32_t StatusAt(const LogData& log, int slot, int frame) {
    if (!ValidSlot(slot) || frame < 0) return 0;
    const Column<uint32_t>& column = log.status[slot];
    if (size_t(frame) < column.size()) return column[size_t(frame)];
    if (!IsFileSlot(log, slot)) return 0;
    return ElementFromFile(log, slot, frame, log.source.fillStatus, 0u, FrameStatus);
}

void MarkOwned(LogData& log, int slot) {
    if (ValidSlot(slot)) log.source.owned.set(size_t(slot));
}

void DropFileColumns(LogData& log) {
    if (!log.source.store) return;
    for (int s = 0; s < kSlotCount; ++s) {
        if (log.source.owned[size_t(s)]) continue;
        log.values[s].Reset();
        log.status[s].Reset();
    }
}

Result VisitFrames(const LogData& log, int first, int end,
                   const std::function<bool(const uint8_t* frames, int first, int n)>& block,
                   const ProgressCallback& progress) {
    const ColumnSource& src = log.source;
    if (!src.store) return Result::Failure(ErrorKind::Unreadable, Cause::NoFile);
    first = std::max(first, 0);
    end = std::min(end, log.frameCount);
    return src.store->Pass(
        src.first + first, src.first + end,
        [&](const uint8_t* frames, int fileFrame, int n) {
            return block(frames, fileFrame - src.first, n);
        },
        progress);
}

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
        auto sums = std::make_unique<Sums>();
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
            Finish(out[size_t(s)], sums->minimum[s], sums->maximum[s], sums->sum[s],
                   start[size_t(s)], last[size_t(s)], uint32_t(end - first));
            if (!deviations && pending) pending->set(size_t(s));
        }
        if (deviations && first < end) {
            auto squares = std::make_unique<Squares>();
            for (int s = 0; s < kSlotCount; ++s) {
                squares->average[s] = out[size_t(s)].average;
                squares->squares[s] = 0.0f;
            }
            pass = VisitFrames(log, first, end, [&](const uint8_t* frames, int, int n) {
                squares->Add(frames, n);
                return true;
            });
            if (!pass.ok()) return pass;
            for (int s = 0; s < kSlotCount; ++s)
                if (IsFileSlot(log, s))
                    out[size_t(s)].standardDeviation =
                        std::sqrt(squares->squares[s] / float(end - first));
        }
    }
    ApplySlopes(out);
    return {};
}

Result ComputeLogStats(LogData& log, int first, int end, bool fileSlots, bool deviations) {
    std::bitset<kSlotCount> pending;
    Result result = StatsOfRange(log, first, end, fileSlots, deviations, log.stats, &pending);
    if (!result.ok()) return result;
    if (!log.source.store || fileSlots) {
        log.statsFirst = std::max(first, 0);
        log.statsEnd = std::min(end, std::max(log.frameCount, 0));
        log.deviationPending = pending;
    }
    return result;
}

Result EnsureDeviations(LogData& log, const std::vector<int>& wanted) {
    std::vector<int> pending;
    if (wanted.empty()) {
        for (int s = 0; s < kSlotCount; ++s)
            if (log.deviationPending[size_t(s)]) pending.push_back(s);
    } else {
        for (int s : wanted)
            if (ValidSlot(s) && log.deviationPending[size_t(s)]) pending.push_back(s);
    }
    if (pending.empty()) return {};
    const int first = log.statsFirst, end = log.statsEnd;
    auto clear = [&] {
        for (int s : pending)
            log.deviationPending.reset(size_t(s));
    };
    if (first >= end) {
        clear();
        return {};
    }
    // A few wanted whose columns exist (or fit) are done from memory; many go through one pass
    // over the file.
    if (pending.size() <= 32 && EnsureColumns(log, pending)) {
        for (int s : pending) {
            const float* v = log.values[s].data();
            const float average = log.stats[size_t(s)].average;
            float squares = 0.0f;
            for (int i = first; i < end; ++i) {
                const float d = v[i] - average;
                const float square = d * d;
                squares = squares + square;
            }
            log.stats[size_t(s)].standardDeviation = std::sqrt(squares / float(end - first));
        }
        clear();
        return {};
    }
    auto squares = std::make_unique<Squares>();
    for (int s = 0; s < kSlotCount; ++s) {
        squares->average[s] = log.stats[size_t(s)].average;
        squares->squares[s] = 0.0f;
    }
    Result pass = VisitFrames(log, first, end, [&](const uint8_t* frames, int, int n) {
        squares->Add(frames, n);
        return true;
    });
    if (!pass.ok()) return pass;
    for (int s : pending)
        log.stats[size_t(s)].standardDeviation =
            std::sqrt(squares->squares[s] / float(end - first));
    clear();
    return {};
}

}  // namespace quillon
