#include "model/LogStore.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
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
    store->m_buffer.resize(size_t(kBlockFrames) * kFrameSize);
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

bool LogStore::Unchanged() const {
    const auto now = fs::IdentityOf(m_file.Get());
    return now && *now == m_identity;
}

bool LogStore::ReadSpan(int first, int n, uint8_t* to, std::string& error) const {
    const size_t bytes = size_t(n) * kFrameSize;
    const uint64_t at = kFramesOffset + uint64_t(first) * kFrameSize;
    if (m_map) {
        // Only the copy touches the mapping: a file cut short under it ends this pass here.
        MappedCopy copy{m_map + at, to, bytes};
        // The memory of the mapping vanishes when the file is cut short, or when the
        // system cannot read its pages (a failing disk, a pulled card).
        if (fs::RunGuardedAgainstVanishedMapping(CopyMapped, &copy)) return true;
        error = std::strerror(EIO);
        return false;
    }
    size_t got = 0;
    if (!fs::ReadAt(m_file.Get(), at, to, bytes, got)) {
        error = fs::LastErrorText();
        return false;
    }
    if (got < bytes) {
        error = "the file ends before its last frame";
        return false;
    }
    return true;
}

Result LogStore::Pass(int first, int end, const BlockFunction& block,
                      const ProgressCallback& progress) {
    if (m_broken) return BrokenFailure();
    first = std::max(first, 0);
    end = std::min(end, m_frames);
    if (first >= end) return {};
    // A file truncated, replaced or rewritten since it was opened is not read again: its frames
    // would no longer be the ones the log's statistics and edits were made from.
    if (!Unchanged()) return Fail(Cause::FileChanged);
    const int total = end - first;
    int reported = first;
    // Hands the frames [from, from + n), read to `frames`, to `block` a block at a time.
    const auto hand = [&](const uint8_t* frames, int from, int n) {
        for (int f = from; f < from + n; f += kBlockFrames) {
            const int m = std::min(kBlockFrames, from + n - f);
            if (!block(frames + size_t(f - from) * kFrameSize, f, m)) return false;
            if (progress && (f + m - reported >= kProgressFrames || f + m == end)) {
                reported = f + m;
                progress(reported - first, total);
            }
        }
        return true;
    };
    Result read;
    if (total < kReadAheadFrames || !PassReadingAhead(first, end, hand, read)) {
        read = {};
        for (int f = first; f < end && read.ok(); f += kBlockFrames) {
            const int n = std::min(kBlockFrames, end - f);
            std::string error;
            if (!ReadSpan(f, n, m_buffer.data(), error))
                read = FailRead(std::move(error));
            else if (!hand(m_buffer.data(), f, n))
                read = Result::Failure(ErrorKind::Cancelled, Cause::None);
        }
    }
    if (!read.ok()) return read;
    // A file written in place while it was read may have handed this pass frames of both its
    // old and its new content: the pass is good only when the file is still the one opened.
    if (!Unchanged()) return Fail(Cause::FileChanged);
    return {};
}

bool LogStore::PassReadingAhead(int first, int end,
                                const std::function<bool(const uint8_t*, int, int)>& hand,
                                Result& result) {
    // A ring of buffers that a thread of its own fills with the next spans of frames while
    // this one hands the current span on: a cold file is read while the frames already there
    // are decoded, and the copy out of the system's cache moves off this thread as well.
    struct Ring {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::vector<uint8_t>> buffers;
        int filled = 0;   // spans read
        int handed = 0;   // spans handed on, whose buffers may be filled again
        int failed = -1;  // the span whose read failed
        std::string error;
        bool stop = false;
    } ring;
    const int spans = (end - first + kReadAheadFrames - 1) / kReadAheadFrames;
    const auto span = [&](int k) {
        const int from = first + k * kReadAheadFrames;
        return std::pair(from, std::min(kReadAheadFrames, end - from));
    };
    std::thread reader;
    try {
        ring.buffers.resize(kReadAheadSpans);
        for (auto& buffer : ring.buffers)
            buffer.resize(size_t(kReadAheadFrames) * kFrameSize);
        reader = std::thread([&] {
            for (int k = 0; k < spans; ++k) {
                {
                    std::unique_lock lock(ring.mutex);
                    ring.changed.wait(
                        lock, [&] { return ring.stop || k - ring.handed < kReadAheadSpans; });
                    if (ring.stop) return;
                }
                const auto [from, n] = span(k);
                std::string error;
                const bool ok =
                    ReadSpan(from, n, ring.buffers[size_t(k % kReadAheadSpans)].data(), error);
                std::lock_guard lock(ring.mutex);
                if (ok) {
                    ring.filled = k + 1;
                } else {
                    ring.failed = k;
                    ring.error = std::move(error);
                }
                ring.changed.notify_all();
                if (!ok) return;
            }
        });
    } catch (const std::exception&) {  // no memory or no thread: the pass reads on this thread
        return false;
    }
    result = {};
    for (int k = 0; k < spans && result.ok(); ++k) {
        {
            std::unique_lock lock(ring.mutex);
            ring.changed.wait(lock, [&] { return ring.filled > k || ring.failed == k; });
            if (ring.failed == k) {
                result = FailRead(std::move(ring.error));
                break;
            }
        }
        const auto [from, n] = span(k);
        if (!hand(ring.buffers[size_t(k % kReadAheadSpans)].data(), from, n))
            result = Result::Failure(ErrorKind::Cancelled, Cause::None);
        std::lock_guard lock(ring.mutex);
        ring.handed = k + 1;
        ring.changed.notify_all();
    }
    {
        std::lock_guard lock(ring.mutex);
        ring.stop = true;
        ring.changed.notify_all();
    }
    reader.join();
    return true;
}

}  // namespace quillon
