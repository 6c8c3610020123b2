#include "model/DataLogFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "platform/AtomicFile.h"
#include "format/ByteRecord.h"
#include "format/DataLogFrame.h"
#include "format/DataLogStart.h"
#include "format/DlzCodec.h"
#include "platform/FileSystem.h"
#include "model/ColumnCache.h"
#include "model/FrameDecoding.h"
#include "model/LogFrames.h"
#include "model/LogOpening.h"
#include "model/LogStore.h"
#include "model/SummaryCache.h"
#include "model/ZeroTime.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace quillon {

namespace {

// Frames handled per block: the block (900 KB) stays in the L2 cache while each slot's values
// are picked out of it, and every column receives a contiguous run of 1 KB per block.
constexpr int kBlockFrames = 128;

/// Copies slots s and s + 1 (value and status of each, 16 bytes at `src` with a stride of one
/// frame) of `count` frames into their columns. Large logs are far bigger than any cache, so
/// the columns are written with non-temporal stores that skip reading the destination first.
void ScatterSlotPair(const uint8_t* src, int count, LogData& log, int s, size_t at) {
    float* v0 = log.values[s].data() + at;
    uint32_t* s0 = log.status[s].data() + at;
    float* v1 = log.values[s + 1].data() + at;
    uint32_t* s1 = log.status[s + 1].data() + at;
    const bool zero0 = IsDiagSlot(s), zero1 = IsDiagSlot(s + 1);
    int i = 0;
#if defined(__SSE2__)
    auto aligned = [](const void* p) { return (reinterpret_cast<uintptr_t>(p) & 15) == 0; };
    if (aligned(v0) && aligned(s0) && aligned(v1) && aligned(s1)) {
        const __m128 zero = _mm_setzero_ps();
        for (; i + 4 <= count; i += 4) {
            const uint8_t* p = src + size_t(i) * kFrameSize;
            // Rows: one frame each (value s, status s, value s + 1, status s + 1); after the
            // transposition, one column each.
            __m128 r0 = _mm_loadu_ps(reinterpret_cast<const float*>(p));
            __m128 r1 = _mm_loadu_ps(reinterpret_cast<const float*>(p + kFrameSize));
            __m128 r2 = _mm_loadu_ps(reinterpret_cast<const float*>(p + 2 * kFrameSize));
            __m128 r3 = _mm_loadu_ps(reinterpret_cast<const float*>(p + 3 * kFrameSize));
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _mm_stream_ps(v0 + i, r0);
            _mm_stream_ps(reinterpret_cast<float*>(s0 + i), zero0 ? zero : r1);
            _mm_stream_ps(v1 + i, r2);
            _mm_stream_ps(reinterpret_cast<float*>(s1 + i), zero1 ? zero : r3);
        }
    }
#endif
    for (; i < count; ++i) {
        const uint8_t* p = src + size_t(i) * kFrameSize;
        v0[i] = LoadF32(p);
        s0[i] = zero0 ? 0 : LoadU32(p + 4);
        v1[i] = LoadF32(p + 8);
        s1[i] = zero1 ? 0 : LoadU32(p + 12);
    }
}

/// The last slot, which has no partner.
void ScatterSlot(const uint8_t* src, int count, float* values, uint32_t* status, bool zero) {
    for (int i = 0; i < count; ++i) {
        const uint8_t* p = src + size_t(i) * kFrameSize;
        values[i] = LoadF32(p);
        status[i] = zero ? 0 : LoadU32(p + 4);
    }
}

/// Scatters `count` whole frames (contiguous at `frames`) into the columns from index `base`.
void ScatterFrames(const uint8_t* frames, int count, size_t base, LogData& log, FrameClock& clock) {
    for (int done = 0; done < count; done += kBlockFrames) {
        const int n = std::min(kBlockFrames, count - done);
        const uint8_t* block = frames + size_t(done) * kFrameSize;
        const size_t at = base + size_t(done);
        float* time = log.values[0].data() + at;
        uint32_t* timeStatus = log.status[0].data() + at;
        int64_t* offset =
            log.offsetMs.size() >= at + size_t(n) ? log.offsetMs.data() + at : nullptr;
        for (int i = 0; i < n; ++i) {
            int64_t ms = 0;
            time[i] = clock.Frame(block + size_t(i) * kFrameSize, ms);
            if (offset) offset[i] = ms;
            timeStatus[i] = 0;
        }
        int s = 1;
        for (; s + 1 < kSlotCount; s += 2)
            ScatterSlotPair(block + 8 * size_t(s), n, log, s, at);
        if (s < kSlotCount)
            ScatterSlot(block + 8 * size_t(s), n, log.values[s].data() + at,
                        log.status[s].data() + at, IsDiagSlot(s));
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

/// Fills elements [from, to) of every column with 0.
void ZeroColumns(LogData& log, size_t from, size_t to) {
    for (int s = 0; s < kSlotCount; ++s) {
        std::fill(log.values[s].data() + from, log.values[s].data() + to, 0.0f);
        std::fill(log.status[s].data() + from, log.status[s].data() + to, 0u);
    }
}

// Up to this many bytes, the columns of a log share one allocation: reading a log of a few
// frames would otherwise cost more in 881 allocations than in all its frames.
constexpr size_t kSharedColumnsLimit = size_t(1) << 20;

/// The columns of a small log as views of one block, each starting on 16 bytes.
bool AllocateSharedColumns(LogData& log, size_t n) {
    const size_t column = (n * 4 + 15) / 16 * 16;
    const size_t total = (n * 8 + 15) / 16 * 16 + 2 * column * kSlotCount;
    std::shared_ptr<void> block;
    try {
        block = std::shared_ptr<uint8_t[]>(new uint8_t[total]);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* at = static_cast<uint8_t*>(block.get());
    log.offsetMs.View(block, reinterpret_cast<int64_t*>(at), n);
    at += (n * 8 + 15) / 16 * 16;
    for (int s = 0; s < kSlotCount; ++s, at += 2 * column) {
        log.values[s].View(block, reinterpret_cast<float*>(at), n);
        log.status[s].View(block, reinterpret_cast<uint32_t*>(at + column), n);
    }
    return true;
}

bool AllocateColumns(LogData& log, int frames) {
    const size_t n = size_t(frames) + 1;
    if (n * (8 + 8 * kSlotCount) <= kSharedColumnsLimit) return AllocateSharedColumns(log, n);
    if (!log.offsetMs.Allocate(size_t(frames) + 1)) return false;
    for (int s = 0; s < kSlotCount; ++s) {
        if (!log.values[s].Allocate(size_t(frames) + 1) ||
            !log.status[s].Allocate(size_t(frames) + 1)) {
            ResetLog(log);
            return false;
        }
        // Mapping the pages of a fresh column in one call: a page fault for every 4 KB of a
        // gigabyte of columns costs more than the whole scatter.
        fs::PrefaultPages(log.values[s].data(), log.values[s].size() * sizeof(float));
        fs::PrefaultPages(log.status[s].data(), log.status[s].size() * sizeof(uint32_t));
    }
    return true;
}

/// Puts a trailing partial frame (missing bytes read as 0) into the spare element, or 0s when
/// there is none, so that nothing reads uninitialised memory.
void FillSpare(const uint8_t* tail, size_t tailSize, size_t index, LogData& log,
               FrameClock& clock) {
    if (tailSize == 0) {
        ZeroColumns(log, index, index + 1);
        return;
    }
    alignas(16) uint8_t frame[kFrameSize] = {};
    std::memcpy(frame, tail, std::min(tailSize, kFrameSize));
    ScatterFrames(frame, 1, index, log, clock);
}

void Finish(LogData& log, int frames, const FrameClock& clock) {
    log.frameCount = frames;
    log.firstTimestamp = clock.first;
    log.maxRpm = clock.maxRpm;
    log.maxMap = clock.maxMap;
}

Result OutOfMemory(const std::string& name, int frames) {
    return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryForLog, name)
        .Figures(uint64_t(frames));
}

}  // namespace

Result DataLogReader::Open(const std::string& path) {
    m_file.Reset();
    m_compressed = false;
    m_path = path;
    m_fileSize = 0;
    m_frames = 0;
    Result failure;
    fs::FileHandle file = fs::OpenRegularForReading(path, &failure);
    if (!file) {
        if (failure.cause == Cause::NotRegular) failure.kind = ErrorKind::Unreadable;
        return failure;
    }
    // The identity before the first byte is read: every later pass compares the file with it.
    m_identity = fs::IdentityOf(file.Get());
    const uint64_t size = m_identity ? m_identity->size : fs::SizeOf(file.Get()).value_or(0);
    uint8_t start[kFramesOffset];
    size_t got = 0;
    if (!fs::ReadFully(file.Get(), start, sizeof start, got))
        return Result::Failure(ErrorKind::Unreadable, Cause::ReadFailed, path, fs::LastErrorText());
    Result check = CheckDataLogStart(start, got, size, path);
    // The bytes decide; only a file that is neither a log nor a compressed log by its bytes is
    // taken as a damaged compressed log when its name says .dlz, so that its failure tells
    // what is wrong with its compressed data.
    const bool logStart = got >= 12 && CheckDataLogStart(start, 12, kFramesOffset, path).ok();
    if (!check.ok() && !logStart && (IsDlzStart(start, got) || IsDlzPath(path))) {
        m_file = std::move(file);
        m_compressed = true;
        m_fileSize = size;
        return {};
    }
    if (check.ok() && got < kFramesOffset)
        check = Result::Failure(ErrorKind::Unreadable, Cause::HeaderIncomplete, path);
    if (!check.ok()) return check;
    std::memcpy(m_header.bytes.data(), start, DataLogHeader::kSize);
    std::memcpy(m_config.bytes.data(), start + DataLogHeader::kSize, EcuConfigBlock::kSize);
    m_file = std::move(file);
    m_fileSize = size;
    m_frames = int((m_fileSize - kFramesOffset) / kFrameSize);
    return {};
}

Result DataLogReader::Expand(const ProgressCallback& progress) {
    if (!m_file || !m_compressed)
        return Result::Failure(ErrorKind::Unreadable, Cause::NoOpenFile, m_path);
    std::string expanded;
    Result result = ExpandDlzFile(m_file, m_path, &expanded, progress);
    m_file.Reset();
    if (!result.ok()) return result;
    return Open(expanded);
}

Result DataLogReader::DecodeInto(LogData& log, const ProgressCallback& progress) {
    ResetLog(log);
    // The decoded bytes go straight into the columns, a block of frames at a time: the memory
    // used is the columns', about the decoded size, never the packed and decoded bytes besides.
    const FileHandle file = std::move(m_file);
    uint64_t decoded = 0;
    Result result = MeasureDlzFile(file, m_path, decoded);
    if (!result.ok()) return result;
    const uint64_t frames64 = decoded > kFramesOffset ? (decoded - kFramesOffset) / kFrameSize : 0;
    if (frames64 >= uint64_t(INT32_MAX))
        return Result::Failure(ErrorKind::Unreadable, Cause::TooManyFrames, m_path);
    const int frames = int(frames64);
    const uint64_t columns = (frames64 + 1) * (8 + uint64_t(kSlotCount) * 8);
    if (const uint64_t memory = fs::AvailableMemory(); columns > memory)
        return Result::Failure(ErrorKind::OutOfMemory, Cause::DecodedTooLarge, m_path)
            .Figures(columns, memory);

    // The decoded start is checked as a log's before anything more is made.
    std::vector<uint8_t> start;
    const size_t startSize = size_t(std::min<uint64_t>(decoded, kFramesOffset));
    Result check = Result::Failure(ErrorKind::Unreadable, Cause::DecodedNotALog, m_path);
    auto checkStart = [&] {
        check = CheckDataLogStart(start.data(), start.size(), decoded, m_path);
        if (check.kind == ErrorKind::Unreadable)
            check = Result::Failure(ErrorKind::Unreadable, Cause::DecodedNotALog, m_path);
        if (!check.ok()) return false;
        if (!AllocateColumns(log, frames)) {
            check = Result::Failure(ErrorKind::OutOfMemory, Cause::DecodedNoMemory, m_path);
            return false;
        }
        std::memcpy(log.header.bytes.data(), start.data(), DataLogHeader::kSize);
        std::memcpy(log.config.bytes.data(), start.data() + DataLogHeader::kSize,
                    EcuConfigBlock::kSize);
        return true;
    };
    std::vector<uint8_t> block(size_t(kBlockFrames) * kFrameSize);
    size_t inBlock = 0;
    int done = 0;
    FrameClock clock;
    result = DecodeDlzFile(file, m_path, [&](const uint8_t* p, size_t n) {
        if (start.size() < startSize) {
            const size_t take = std::min(n, startSize - start.size());
            start.insert(start.end(), p, p + take);
            p += take;
            n -= take;
            if (start.size() < startSize) return true;
            if (!checkStart()) return false;
            clock.zeroTime = double(log.header.Get(DataLogHeader::zeroTime));
        }
        while (n > 0) {
            const size_t take = std::min(n, block.size() - inBlock);
            std::memcpy(block.data() + inBlock, p, take);
            inBlock += take;
            p += take;
            n -= take;
            if (inBlock == block.size()) {
                // More frames than were measured: the file changed between the two readings.
                if (done + kBlockFrames > frames) return false;
                ScatterFrames(block.data(), kBlockFrames, size_t(done), log, clock);
                done += kBlockFrames;
                inBlock = 0;
                if (progress) progress(done, frames);
            }
        }
        return true;
    });
    if (start.size() < kFramesOffset && result.ok()) checkStart();
    const int rest = int(inBlock / kFrameSize);
    const bool changed = !(fs::IdentityOf(file.Get()) == m_identity);
    if (result.ok() && check.ok() && !changed && done + rest == frames) {
        ScatterFrames(block.data(), rest, size_t(done), log, clock);
        FillSpare(block.data() + size_t(rest) * kFrameSize, inBlock % kFrameSize, size_t(frames),
                  log, clock);
        Finish(log, frames, clock);
        return {};
    }
    ResetLog(log);
    log.header = DataLogHeader{};
    log.config = EcuConfigBlock{};
    if (result.kind != ErrorKind::None && result.kind != ErrorKind::Cancelled) return result;
    if (changed) return Result::Failure(ErrorKind::Unreadable, Cause::ChangedWhileRead, m_path);
    if (!check.ok()) return check;
    return Result::Failure(ErrorKind::Unreadable, Cause::ChangedWhileRead, m_path);
}

Result DataLogReader::ReadInto(LogData& log, const ProgressCallback& progress,
                               const ReadOptions& options) {
    if (!m_file) return Result::Failure(ErrorKind::Unreadable, Cause::NoOpenFile);
    if (m_compressed) {
        try {
            return DecodeInto(log, progress);
        } catch (const std::exception&) {  // a piece of the decoding found no memory
            ResetLog(log);
            return Result::Failure(ErrorKind::OutOfMemory, Cause::DecodedNoMemory, m_path);
        }
    }
    LogStore::Options storeOptions;
    storeOptions.allowMapping = options.allowMapping;
    storeOptions.identity = m_identity;
    // The store takes the open file over.
    std::shared_ptr<LogStore> store =
        LogStore::Create(std::move(m_file), m_path, m_fileSize, storeOptions);
    std::vector<int> slots = options.wantedSlots;
    if (options.allColumns) {
        slots.resize(kSlotCount);
        for (int s = 0; s < kSlotCount; ++s)
            slots[size_t(s)] = s;
    }
    // A second opening of the same file takes the pass's figures from the cache instead of the
    // frames; the columns wanted then come from the file as they would later.
    const std::string cacheFolder =
        !options.allColumns && (options.cachedOpening || options.cacheOpening)
            ? fs::SummaryCacheFolder()
            : std::string();
    if (options.cachedOpening && LoadCachedOpening(cacheFolder, store, m_header, m_config, log)) {
        if (slots.empty() || EnsureColumns(log, slots)) {
            if (progress) progress(log.frameCount, log.frameCount);
            return {};
        }
        ResetLog(log);
    }
    slots.insert(slots.end(), options.passSlots.begin(), options.passSlots.end());
    Result result = OpenLogColumns(store, m_header, m_config, log, slots, options.allColumns,
                                   progress, options.cancelled);
    if (result.ok() && options.allColumns) log.cache.SetBudget(SIZE_MAX);
    if (result.ok() && options.cacheOpening) StoreCachedOpening(cacheFolder, log);
    return result;
}

Result ReadDataLog(const std::string& path, LogData& log, const ProgressCallback& progress,
                   const ReadOptions& options) {
    DataLogReader reader;
    Result result = reader.Open(path);
    if (!result.ok()) return result;
    return reader.ReadInto(log, progress, options);
}

Result ReadDataLogBytes(const uint8_t* data, size_t size, LogData& log) {
    ResetLog(log);
    log.header = DataLogHeader{};
    log.config = EcuConfigBlock{};
    Result check = CheckDataLogStart(data, size, size, "the data");
    if (!check.ok()) return check;
    const int frames = int((size - kFramesOffset) / kFrameSize);
    if (!AllocateColumns(log, frames)) return OutOfMemory("the data", frames);
    std::memcpy(log.header.bytes.data(), data, DataLogHeader::kSize);
    std::memcpy(log.config.bytes.data(), data + DataLogHeader::kSize, EcuConfigBlock::kSize);
    FrameClock clock;
    clock.zeroTime = double(log.header.Get(DataLogHeader::zeroTime));
    const uint8_t* frameData = data + kFramesOffset;
    ScatterFrames(frameData, frames, 0, log, clock);
    size_t tail = (size - kFramesOffset) % kFrameSize;
    FillSpare(frameData + size_t(frames) * kFrameSize, tail, size_t(frames), log, clock);
    Finish(log, frames, clock);
    return {};
}

uint64_t FrameTimestamp(const LogData& log, int frame) {
    if (frame < 0 || size_t(frame) >= log.values[0].size()) return log.firstTimestamp;
    // A frame of the log keeps its own millisecond timestamp.
    if (frame < log.frameCount) return log.firstTimestamp + uint64_t(FrameOffsetMs(log, frame));
    double ms =
        (double(log.values[0][size_t(frame)]) + double(log.header.Get(DataLogHeader::zeroTime))) *
        1000.0;
    if (!std::isfinite(ms)) ms = 0;
    ms = std::clamp(ms, -9.0e18, 9.0e18);
    return log.firstTimestamp + uint64_t(int64_t(std::llround(ms)));
}

namespace {

/// Produces the file's bytes piece by piece; false when the log's columns are incomplete or
/// the sink fails.
/// Frames of a log read from a file: each block's bytes as in the file, with the timestamps, the
/// Diag statuses (which the reader zeroes) and the columns made here written over them.
template <class Sink>
bool StreamStoredFrames(const LogData& log, Sink&& sink, const ProgressCallback& progress,
                        Result& failure) {
    std::vector<int> owned;
    for (int s = 1; s < kSlotCount; ++s)
        if (!IsFileSlot(log, s)) owned.push_back(s);
    const int frames = std::max(0, log.frameCount);
    for (int s : owned) {
        if (log.values[s].size() < size_t(frames) || log.status[s].size() < size_t(frames)) {
            failure = Result::Failure(ErrorKind::CannotWrite, Cause::ColumnsShort);
            return false;
        }
    }
    // A block of frames at a time, or the whole log when it is shorter.
    std::vector<uint8_t> buffer(size_t(std::clamp(frames, 1, LogStore::kBlockFrames)) * kFrameSize);
    bool ok = true;
    const Result pass = VisitFrames(
        log, 0, frames,
        [&](const uint8_t* source, int first, int n) {
            uint8_t* block = buffer.data();
            std::memcpy(block, source, size_t(n) * kFrameSize);
            for (int i = 0; i < n; ++i) {
                uint8_t* frame = block + size_t(i) * kFrameSize;
                StoreU64(frame, FrameTimestamp(log, first + i));
                ZeroDiagStatuses(frame);
                const size_t at = size_t(first) + size_t(i);
                for (int s : owned) {
                    StoreF32(frame + 8 * size_t(s), log.values[s][at]);
                    StoreU32(frame + 8 * size_t(s) + 4, log.status[s][at]);
                }
            }
            ok = sink(block, size_t(n) * kFrameSize);
            return ok;
        },
        progress);
    if (!pass.ok() && ok) failure = pass;
    return pass.ok() && ok;
}

/// Produces the file's bytes piece by piece; false when the log's columns are incomplete or
/// the sink fails.
template <class Sink>
bool StreamDataLog(const LogData& log, Sink&& sink, const ProgressCallback& progress,
                   Result& failure) {
    const int frames = std::max(0, log.frameCount);
    if (!log.source.store) {
        for (int s = 0; s < kSlotCount; ++s) {
            if (log.values[s].size() < size_t(frames) ||
                (s > 0 && log.status[s].size() < size_t(frames))) {
                failure = Result::Failure(ErrorKind::CannotWrite, Cause::ColumnsShort);
                return false;
            }
        }
    }
    if (!sink(log.header.bytes.data(), DataLogHeader::kSize)) return false;
    if (!sink(log.config.bytes.data(), EcuConfigBlock::kSize)) return false;
    if (log.source.store) return StreamStoredFrames(log, sink, progress, failure);
    const size_t bufferFrames = size_t(std::clamp(frames, 1, kBlockFrames));
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[bufferFrames * kFrameSize]);
    if (!buffer) {
        failure = Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryToWrite);
        return false;
    }
    for (int first = 0; first < frames; first += kBlockFrames) {
        const int n = std::min(kBlockFrames, frames - first);
        uint8_t* block = buffer.get();
        for (int i = 0; i < n; ++i)
            StoreU64(block + size_t(i) * kFrameSize, FrameTimestamp(log, first + i));
        for (int s = 1; s < kSlotCount; ++s) {
            const float* values = log.values[s].data() + first;
            const uint32_t* status = log.status[s].data() + first;
            uint8_t* p = block + 8 * size_t(s);
            for (int i = 0; i < n; ++i, p += kFrameSize) {
                StoreF32(p, values[i]);
                StoreU32(p + 4, status[i]);
            }
        }
        if (!sink(block, size_t(n) * kFrameSize)) return false;
        if (progress) progress(first + n, frames);
    }
    return true;
}

}  // namespace

Result WriteDataLog(const std::string& path, LogData& log, const ProgressCallback& progress) {
#ifdef _WIN32
    // Windows replaces no file that a handle holds open, and the log holds its own file open:
    // a log written over its own file is first read whole into memory and lets the file go.
    if (log.source.store && fs::SameFile(path, log.source.store->Path()) && !DetachFromFile(log))
        return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryToDetach, path);
#endif
    // The name of the log's own file is given to the new content; the open file loses its name,
    // which changes its change time, not its content.
    const bool ownFile = log.source.store && fs::SameFile(path, log.source.store->Path());
    // A file with other hard links is written in place, under the open log's frames: the log is
    // read whole into memory first and lets the file go.
    if (ownFile && fs::LinkCount(path) > 1 && !DetachFromFile(log))
        return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryToDetach, path);
    AtomicFile file(path);
    Result problem;
    const bool ok =
        file.Open() &&
        StreamDataLog(
            log, [&](const uint8_t* p, size_t n) { return file.Write(p, n); }, progress, problem) &&
        file.Commit();
    if (ok && ownFile && log.source.store) log.source.store->Renew();
    if (ok) return {};
    return problem.ok() ? file.Failure() : problem;
}

std::vector<uint8_t> DataLogBytes(const LogData& log) {
    std::vector<uint8_t> bytes;
    Result problem;
    try {
        bytes.reserve(kFramesOffset + kFrameSize * size_t(std::max(0, log.frameCount)));
        bool ok = StreamDataLog(
            log,
            [&](const uint8_t* p, size_t n) {
                bytes.insert(bytes.end(), p, p + n);
                return true;
            },
            {}, problem);
        if (!ok) bytes.clear();
    } catch (const std::exception&) {  // the bytes do not fit in memory
        bytes = {};
    }
    return bytes;
}

}  // namespace quillon
