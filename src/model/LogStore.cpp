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

uint64_t FrameOffset(int frame) {
    return kFramesOffset + uint64_t(frame) * kFrameSize;
}

// While a long pass decodes its frames, a second thread asks the system to read the next ones,
// up to kWindow bytes ahead: a cold file then arrives while the frames already there are worked
// on, instead of in the system's own smaller steps as they are asked for.
class ReadAhead {
public:
    static constexpr uint64_t kStep = uint64_t(4) << 20;
    static constexpr uint64_t kWindow = uint64_t(32) << 20;

    ReadAhead(fs::Handle file, uint64_t from, uint64_t to)
        : m_file(file), m_to(to), m_advised(from), m_reached(from), m_nextNote(from + kStep) {
        if (to - from < 2 * kStep) return;
        try {
            m_thread = std::thread([this] { Run(); });
        } catch (const std::exception&) {  // without a thread the pass reads all the same
        }
    }
    ~ReadAhead() {
        if (!m_thread.joinable()) return;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    /// The pass has read the bytes before `at`.
    void Reached(uint64_t at) {
        if (at < m_nextNote || !m_thread.joinable()) return;
        m_nextNote = at + kStep;
        {
            std::lock_guard lock(m_mutex);
            m_reached = at;
        }
        m_changed.notify_one();
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        while (true) {
            m_changed.wait(lock, [this] { return m_stop || m_advised < m_reached + kWindow; });
            if (m_stop || m_advised >= m_to) return;
            const uint64_t at = m_advised;
            const uint64_t n = std::min(kStep, m_to - at);
            lock.unlock();
            const bool advised = fs::AdviseWillRead(m_file, at, n);
            lock.lock();
            if (!advised) return;
            m_advised = at + n;
        }
    }

    fs::Handle m_file;
    uint64_t m_to;
    uint64_t m_advised;  // the bytes before this have been asked for
    uint64_t m_reached;
    uint64_t m_nextNote;  // the pass thread's alone: where Reached next wakes the reader
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
    const auto fail = [&](Cause c, std::string text = {}) {
        cause = c;
        system = std::move(text);
        return false;
    };
    first = std::max(first, 0);
    end = std::min(end, m_frames);
    if (first >= end) return true;
    // A file truncated, replaced or rewritten since it was opened is not read again: its frames
    // would no longer be the ones the log's statistics and edits were made from.
    if (!Unchanged()) return fail(Cause::FileChanged);
    const int total = end - first;
    int reported = first;
    ReadAhead ahead(m_file.Get(), FrameOffset(first), FrameOffset(end));
    for (int f = first; f < end; f += kBlockFrames) {
        const int n = std::min(kBlockFrames, end - f);
        const size_t bytes = size_t(n) * kFrameSize;
        const uint64_t at = FrameOffset(f);
        if (m_map) {
            // Only the copy touches the mapping: a file cut short under it ends this pass here.
            MappedCopy copy{m_map + at, buffer, bytes};
            // The memory of the mapping vanishes when the file is cut short, or when the
            // system cannot read its pages (a failing disk, a pulled card).
            if (!fs::RunGuardedAgainstVanishedMapping(CopyMapped, &copy))
                return fail(Cause::LogReadFailed, std::strerror(EIO));
        } else {
            size_t got = 0;
            if (!fs::ReadAt(m_file.Get(), at, buffer, bytes, got))
                return fail(Cause::LogReadFailed, fs::LastErrorText());
            if (got < bytes)
                return fail(Cause::LogReadFailed, "the file ends before its last frame");
        }
        if (!block(buffer, f, n)) return false;
        if (progress && (f + n - reported >= kProgressFrames || f + n == end)) {
            reported = f + n;
            progress(reported - first, total);
        }
        ahead.Reached(at + bytes);
    }
    // A file written in place while it was read may have handed this pass frames of both its
    // old and its new content: the pass is good only when the file is still the one opened.
    if (!Unchanged()) return fail(Cause::FileChanged);
    return true;
}

}  // namespace quillon
