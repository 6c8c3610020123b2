#include "model/LogStore.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "format/DataLogFrame.h"

namespace quillon {

namespace {

// Copies one block out of the mapping. The copy is sequential, so the processor streams it in
// ahead of use, and whatever works on the frames then finds them in its cache: reading frames
// straight from the mapping with a stride of one frame per page is several times slower.
struct MappedCopy {
    const uint8_t* from;
    uint8_t* to;
    size_t bytes;
};

void CopyMapped(void* context) {
    const auto& copy = *static_cast<MappedCopy*>(context);
    std::memcpy(copy.to, copy.from, copy.bytes);
}

// Progress is reported every this many frames (about 3.6 MB).
constexpr int kProgressFrames = 1024;

uint64_t FrameOffset(int frame) {
    return kFramesOffset + uint64_t(frame) * kFrameSize;
}

// One read of frames: where the bytes go, or why they could not be read.
struct ReadFault {
    Cause cause = Cause::None;
    std::string system;
};
using ReadBytes = std::function<ReadFault(uint64_t at, size_t bytes, uint8_t* to)>;

// A long pass reads on a second thread while it decodes on its own: the reader fills a ring of
// chunks of whole blocks ahead of the decoding, and asks the system to read up to kWindow bytes
// ahead of itself, so that a cold file arrives in large steps and a warm one is copied while the
// frames before it are worked on.
class ReadAheadRing {
public:
    static constexpr int kChunkBlocks = 2;
    static constexpr int kChunks = 4;
    static constexpr uint64_t kStep = uint64_t(4) << 20;
    static constexpr uint64_t kWindow = uint64_t(32) << 20;

    // Reads the frames [first, end) of the file through `read`, a chunk at a time.
    ReadAheadRing(fs::Handle file, ReadBytes read, int first, int end)
        : m_file(file), m_read(std::move(read)), m_first(first), m_end(end) {
        // Page-aligned chunks: the system copies into them about a third faster.
        const size_t chunkBytes = size_t(kChunkBlocks) * LogStore::kBlockFrames * kFrameSize;
        for (Chunk& c : m_chunks) {
            c.storage.resize(chunkBytes + kPage);
            const auto at = reinterpret_cast<uintptr_t>(c.storage.data());
            c.bytes = c.storage.data() + ((kPage - at % kPage) % kPage);
        }
        m_thread = std::thread([this] { Run(); });
    }
    ~ReadAheadRing() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    ReadAheadRing(const ReadAheadRing&) = delete;
    ReadAheadRing& operator=(const ReadAheadRing&) = delete;

    // Waits for chunk `index` (counted from the range's first frame) and returns its bytes, or
    // null with the fault that ended the reading there.
    const uint8_t* Take(int index, ReadFault& fault) {
        Chunk& c = m_chunks[size_t(index % kChunks)];
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return c.filled && c.index == index; });
        if (c.fault.cause != Cause::None) {
            fault = c.fault;
            return nullptr;
        }
        return c.bytes;
    }
    // The decoding is done with chunk `index`: its place takes the next one.
    void Release(int index) {
        {
            std::lock_guard lock(m_mutex);
            m_chunks[size_t(index % kChunks)].filled = false;
        }
        m_changed.notify_all();
    }

    static int FramesPerChunk() { return kChunkBlocks * LogStore::kBlockFrames; }

private:
    static constexpr size_t kPage = 4096;
    struct Chunk {
        std::vector<uint8_t> storage;
        uint8_t* bytes = nullptr;
        int index = -1;
        bool filled = false;
        ReadFault fault;
    };

    void Run() {
        uint64_t advised = FrameOffset(m_first);
        const uint64_t to = FrameOffset(m_end);
        for (int index = 0;; ++index) {
            const int f = m_first + index * FramesPerChunk();
            if (f >= m_end) return;
            Chunk& c = m_chunks[size_t(index % kChunks)];
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || !c.filled; });
                if (m_stop) return;
            }
            const uint64_t at = FrameOffset(f);
            while (advised < to && advised < at + kWindow) {
                const uint64_t n = std::min(kStep, to - advised);
                if (!fs::AdviseWillRead(m_file, advised, n)) advised = to;
                advised += n;
            }
            const int n = std::min(FramesPerChunk(), m_end - f);
            ReadFault fault = m_read(at, size_t(n) * kFrameSize, c.bytes);
            {
                std::lock_guard lock(m_mutex);
                c.index = index;
                c.filled = true;
                c.fault = std::move(fault);
            }
            m_changed.notify_all();
            if (c.fault.cause != Cause::None) return;
        }
    }

    fs::Handle m_file;
    ReadBytes m_read;
    int m_first;
    int m_end;
    std::array<Chunk, kChunks> m_chunks;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
};

}  // namespace

std::shared_ptr<LogStore> LogStore::Create(fs::FileHandle file, const std::string& path,
                                           uint64_t fileSize, Options options) {
    std::shared_ptr<LogStore> store(new LogStore());
    const fs::Handle handle = file.Get();
    store->m_file = std::move(file);
    store->m_path = path;
    store->m_fileSize = fileSize;
    store->m_identity =
        options.identity ? *options.identity : fs::IdentityOf(handle).value_or(fs::FileIdentity{});
    const uint64_t body = fileSize > kFramesOffset ? fileSize - kFramesOffset : 0;
    store->m_frames = int(body / kFrameSize);
    store->m_tailSize = size_t(body % kFrameSize);
    store->m_tail.assign(kFrameSize, 0);
    if (store->m_tailSize > 0) {
        size_t got = 0;
        const uint64_t at = kFramesOffset + uint64_t(store->m_frames) * kFrameSize;
        if (!fs::ReadAt(handle, at, store->m_tail.data(), store->m_tailSize, got)) got = 0;
        store->m_tailSize = got;
    }
    if (options.allowMapping && store->m_frames > 0)
        store->m_map = fs::MapReadOnly(handle, fileSize);
    // A block of frames, or the whole file when it holds fewer.
    store->m_buffer.resize(size_t(std::clamp(store->m_frames, 1, kBlockFrames)) * kFrameSize);
    return store;
}

LogStore::~LogStore() {
    fs::Unmap(m_map, m_fileSize);
}

Result LogStore::BrokenFailure() const {
    return m_failure.ok() ? Result::Failure(ErrorKind::Unreadable, Cause::FileChanged, m_path)
                          : m_failure;
}

Result LogStore::Fail(Cause cause, std::string system) {
    if (!m_broken)
        m_failure = Result::Failure(ErrorKind::Unreadable, cause, m_path, std::move(system));
    m_broken = true;
    return BrokenFailure();
}

Result LogStore::FailRead(std::string system) {
    return Unchanged() ? Fail(Cause::LogReadFailed, std::move(system)) : Fail(Cause::FileChanged);
}

void LogStore::Renew() {
    if (m_broken) return;
    if (const auto now = fs::IdentityOf(m_file.Get());
        now && now->size == m_identity.size && now->modifiedNs == m_identity.modifiedNs &&
        now->inode == m_identity.inode && now->device == m_identity.device)
        m_identity = *now;
}

bool LogStore::ReadStart(uint8_t* out, size_t size) const {
    size_t got = 0;
    return fs::ReadAt(m_file.Get(), 0, out, size, got) && got == size;
}

bool LogStore::Unchanged() const {
    const auto now = fs::IdentityOf(m_file.Get());
    return now && *now == m_identity;
}

Result LogStore::Pass(int first, int end, const BlockFunction& block,
                      const ProgressCallback& progress) {
    if (m_broken) return BrokenFailure();
    Cause cause = Cause::None;
    std::string system;
    const bool read = Read(first, end, block, progress, m_buffer.data(), cause, system);
    if (cause == Cause::None)
        return read ? Result{} : Result::Failure(ErrorKind::Cancelled, Cause::None);
    return cause == Cause::LogReadFailed ? FailRead(std::move(system)) : Fail(cause);
}

const uint8_t* LogStore::CachedFrame(int frame) {
    if (m_broken || frame < 0 || frame >= m_frames) return nullptr;
    const int first = frame - frame % kBlockFrames;
    CachedBlock* slot = &m_cached[0];
    for (CachedBlock& b : m_cached) {
        if (b.first == first) {
            b.used = ++m_uses;
            return b.frames.data() + size_t(frame - first) * kFrameSize;
        }
        if (b.used < slot->used) slot = &b;
    }
    // The least recently used block makes room; the pass checks the file as every pass does.
    slot->first = -1;
    slot->frames.resize(size_t(kBlockFrames) * kFrameSize);
    const int end = std::min(first + kBlockFrames, m_frames);
    if (!Pass(first, end, [&](const uint8_t* frames, int, int n) {
             std::memcpy(slot->frames.data(), frames, size_t(n) * kFrameSize);
             return true;
         }).ok())
        return nullptr;
    slot->first = first;
    slot->used = ++m_uses;
    return slot->frames.data() + size_t(frame - first) * kFrameSize;
}

Result LogStore::SharedPass(int first, int end, const BlockFunction& block) const {
    std::vector<uint8_t> buffer(m_buffer.size());
    Cause cause = Cause::None;
    std::string system;
    const bool read = Read(first, end, block, {}, buffer.data(), cause, system);
    if (cause == Cause::None)
        return read ? Result{} : Result::Failure(ErrorKind::Cancelled, Cause::None);
    return Result::Failure(ErrorKind::Unreadable, cause, m_path, std::move(system));
}

bool LogStore::Read(int first, int end, const BlockFunction& block,
                    const ProgressCallback& progress, uint8_t* buffer, Cause& cause,
                    std::string& system) const {
    const auto fail = [&](ReadFault fault) {
        cause = fault.cause;
        system = std::move(fault.system);
        return false;
    };
    first = std::max(first, 0);
    end = std::min(end, m_frames);
    if (first >= end) return true;
    // A file truncated, replaced or rewritten since it was opened is not read again: its frames
    // would no longer be the ones the log's statistics and edits were made from.
    if (!Unchanged()) return fail({Cause::FileChanged, {}});
    const ReadBytes read = [this](uint64_t at, size_t bytes, uint8_t* to) -> ReadFault {
        if (m_map) {
            // Only the copy touches the mapping: a file cut short under it ends this pass here.
            MappedCopy copy{m_map + at, to, bytes};
            // The memory of the mapping vanishes when the file is cut short, or when the system
            // cannot read its pages (a failing disk, a pulled card).
            if (!fs::RunGuardedAgainstVanishedMapping(CopyMapped, &copy))
                return {Cause::LogReadFailed, std::strerror(EIO)};
            return {};
        }
        size_t got = 0;
        if (!fs::ReadAt(m_file.Get(), at, to, bytes, got))
            return {Cause::LogReadFailed, fs::LastErrorText()};
        if (got < bytes) return {Cause::LogReadFailed, "the file ends before its last frame"};
        return {};
    };
    const int total = end - first;
    int reported = first;
    // Hands the frames [f, f + n) at `frames` to the block function, a block at a time.
    const auto decode = [&](const uint8_t* frames, int f, int n) {
        for (int k = 0; k < n; k += kBlockFrames) {
            const int m = std::min(kBlockFrames, n - k);
            if (!block(frames + size_t(k) * kFrameSize, f + k, m)) return false;
            if (progress && (f + k + m - reported >= kProgressFrames || f + k + m == end)) {
                reported = f + k + m;
                progress(reported - first, total);
            }
        }
        return true;
    };
    std::optional<ReadAheadRing> ring;
    // A short pass (a zoomed chart's frames, a single block) reads on its own thread: a second
    // thread and its buffers would cost more than they save.
    if (uint64_t(total) * kFrameSize >= 2 * ReadAheadRing::kStep) {
        try {
            ring.emplace(m_file.Get(), read, first, end);
        } catch (const std::exception&) {  // without a thread the pass reads all the same
        }
    }
    if (ring) {
        const int step = ReadAheadRing::FramesPerChunk();
        for (int index = 0, f = first; f < end; ++index, f += step) {
            ReadFault fault;
            const uint8_t* frames = ring->Take(index, fault);
            if (!frames) return fail(std::move(fault));
            if (!decode(frames, f, std::min(step, end - f))) return false;
            ring->Release(index);
        }
    } else {
        for (int f = first; f < end; f += kBlockFrames) {
            const int n = std::min(kBlockFrames, end - f);
            if (ReadFault fault = read(FrameOffset(f), size_t(n) * kFrameSize, buffer);
                fault.cause != Cause::None)
                return fail(std::move(fault));
            if (!decode(buffer, f, n)) return false;
        }
    }
    // A file written in place while it was read may have handed this pass frames of both its
    // old and its new content: the pass is good only when the file is still the one opened.
    if (!Unchanged()) return fail({Cause::FileChanged, {}});
    return true;
}

}  // namespace quillon
