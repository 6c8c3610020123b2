#include "datalog/LogStore.h"

#include <algorithm>

#include "datalog/DataLogFrame.h"

namespace quillon {

namespace {

// A guarded run covers this many frames (about 3.6 MB), so that progress can be reported
// between runs and never from inside one.
constexpr int kRunFrames = 1024;

struct MappedRun {
    const uint8_t* frames;
    int first;
    int end;
    const LogStore::BlockFunction* block;
    bool stopped;
};

void RunMapped(void* context) {
    auto& run = *static_cast<MappedRun*>(context);
    for (int f = run.first; f < run.end; f += LogStore::kBlockFrames) {
        const int n = std::min(LogStore::kBlockFrames, run.end - f);
        if (!(*run.block)(run.frames + size_t(f) * kFrameSize, f, n)) {
            run.stopped = true;
            return;
        }
    }
}

}  // namespace

std::shared_ptr<LogStore> LogStore::Create(fs::Handle handle, const std::string& path,
                                           uint64_t fileSize, Options options) {
    std::shared_ptr<LogStore> store(new LogStore());
    store->m_handle = handle;
    store->m_path = path;
    store->m_fileSize = fileSize;
    store->m_identity = fs::IdentityOf(handle).value_or(fs::FileIdentity{});
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
    if (!store->m_map) store->m_buffer.resize(size_t(kBlockFrames) * kFrameSize);
    return store;
}

LogStore::~LogStore() {
    fs::Unmap(m_map, m_fileSize);
    fs::Close(m_handle);
}

std::string LogStore::BrokenText() const {
    return "'" + m_path +
           "' was changed by another program while it was open. The log has been closed.";
}

Result LogStore::Fail() {
    m_broken = true;
    return Result::Failure(ErrorKind::Unreadable, BrokenText());
}

Result LogStore::Pass(int first, int end, const BlockFunction& block,
                      const ProgressCallback& progress) {
    if (m_broken) return Fail();
    first = std::max(first, 0);
    end = std::min(end, m_frames);
    if (first >= end) return {};
    // A file truncated, replaced or rewritten since it was opened is not read again: its frames
    // would no longer be the ones the log's statistics and edits were made from.
    const auto now = fs::IdentityOf(m_handle);
    if (!now || !(*now == m_identity)) return Fail();
    const int total = end - first;
    for (int f = first; f < end;) {
        const int runEnd = std::min(end, f + kRunFrames);
        if (m_map) {
            MappedRun run{m_map + kFramesOffset, f, runEnd, &block, false};
            if (!fs::RunGuardedAgainstVanishedMapping(RunMapped, &run)) return Fail();
            if (run.stopped) return Result::Failure(ErrorKind::Cancelled, {});
            f = runEnd;
        } else {
            for (; f < runEnd; f += kBlockFrames) {
                const int n = std::min(kBlockFrames, runEnd - f);
                const size_t want = size_t(n) * kFrameSize;
                size_t got = 0;
                if (!fs::ReadAt(m_handle, kFramesOffset + uint64_t(f) * kFrameSize,
                                m_buffer.data(), want, got) ||
                    got < want)
                    return Fail();
                if (!block(m_buffer.data(), f, n))
                    return Result::Failure(ErrorKind::Cancelled, {});
            }
        }
        if (progress) progress(f - first, total);
    }
    return {};
}

}  // namespace quillon
