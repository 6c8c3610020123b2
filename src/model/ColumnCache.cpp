#include "model/ColumnCache.h"

#include <cstdint>

#include "model/FrameDecoding.h"
#include "model/LogData.h"
#include "model/LogFrames.h"
#include "model/LogStore.h"

namespace quillon {

namespace {

size_t FileColumnBytes(const LogData& log) {
    size_t bytes = 0;
    for (int s = 0; s < kSlotCount; ++s)
        if (!log.source.owned[size_t(s)])
            bytes += log.values[s].size() * sizeof(float) + log.status[s].size() * sizeof(uint32_t);
    return bytes;
}

}  // namespace

size_t DefaultColumnBudget(uint64_t fileSize) {
    return (size_t(24) << 20) + size_t(fileSize / 25);
}

// Drops the least recently used columns made from the file, except the protected ones and those
// a holder shares, until `incoming` more bytes fit in the budget.
void ColumnCache::Trim(LogData& log, size_t incoming, const std::vector<bool>& keep) const {
    size_t bytes = FileColumnBytes(log);
    while (bytes + incoming > m_budget) {
        int oldest = -1;
        for (int s = 0; s < kSlotCount; ++s) {
            if (log.source.owned[size_t(s)] || keep[size_t(s)]) continue;
            if (!log.values[s].data() && !log.status[s].data()) continue;
            if (log.values[s].Shared() || log.status[s].Shared()) continue;
            if (oldest < 0 || m_lastUse[size_t(s)] < m_lastUse[size_t(oldest)]) oldest = s;
        }
        if (oldest < 0) return;
        bytes -= log.values[oldest].size() * sizeof(float) +
                 log.status[oldest].size() * sizeof(uint32_t);
        log.values[oldest].Reset();
        log.status[oldest].Reset();
    }
}

bool ColumnCache::Make(LogData& log, const std::vector<int>& wanted, bool withStatus) {
    const ColumnSource& src = log.source;
    if (!src.store) return true;
    std::vector<bool> keep(kSlotCount, false);
    std::vector<int> values, status;
    for (int s : wanted) {
        if (!IsFileSlot(log, s) || keep[size_t(s)]) continue;
        keep[size_t(s)] = true;
        Touch(s);
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
    for (int s : values)
        FillBeyondFrames(log, log.values[s].data(), size_t(frames), src.fillValue,
                         [s](const uint8_t* f) { return FrameValue(f, s); });
    for (int s : status)
        FillBeyondFrames(log, log.status[s].data(), size_t(frames), src.fillStatus,
                         [s](const uint8_t* f) { return FrameStatus(f, s); });
    return true;
}

void DropFileColumns(LogData& log) {
    if (!log.source.store) return;
    for (int s = 0; s < kSlotCount; ++s) {
        if (log.source.owned[size_t(s)]) continue;
        log.values[s].Reset();
        log.status[s].Reset();
    }
}

bool EnsureColumns(LogData& log, const std::vector<int>& wanted, bool withStatus) {
    return log.cache.Make(log, wanted, withStatus);
}

bool EnsureAllColumns(LogData& log) {
    std::vector<int> all(kSlotCount);
    for (int s = 0; s < kSlotCount; ++s)
        all[size_t(s)] = s;
    log.cache.SetBudget(SIZE_MAX);
    return EnsureColumns(log, all, true);
}

bool DetachFromFile(LogData& log) {
    if (!log.source.store) return true;
    if (!EnsureAllColumns(log)) return false;
    log.source = ColumnSource{};
    log.cache = ColumnCache{};
    return true;
}

void MarkOwned(LogData& log, int slot) {
    if (slot >= 0 && slot < kSlotCount) log.source.owned.set(size_t(slot));
}

}  // namespace quillon
