#include "model/LogStore.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

bool LogStore::Unchanged() const {
    const auto now = fs::IdentityOf(m_file.Get());
    return now && *now == m_identity;
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
    for (int f = first; f < end; f += kBlockFrames) {
        const int n = std::min(kBlockFrames, end - f);
        const size_t bytes = size_t(n) * kFrameSize;
        const uint64_t at = kFramesOffset + uint64_t(f) * kFrameSize;
        if (m_map) {
            // Only the copy touches the mapping: a file cut short under it ends this pass here.
            MappedCopy copy{m_map + at, m_buffer.data(), bytes};
            // The memory of the mapping vanishes when the file is cut short, or when the
            // system cannot read its pages (a failing disk, a pulled card).
            if (!fs::RunGuardedAgainstVanishedMapping(CopyMapped, &copy))
                return FailRead(std::strerror(EIO));
        } else {
            size_t got = 0;
            if (!fs::ReadAt(m_file.Get(), at, m_buffer.data(), bytes, got))
                return FailRead(fs::LastErrorText());
            if (got < bytes) return FailRead("the file ends before its last frame");
        }
        if (!block(m_buffer.data(), f, n))
            return Result::Failure(ErrorKind::Cancelled, Cause::None);
        if (progress && (f + n - reported >= kProgressFrames || f + n == end)) {
            reported = f + n;
            progress(reported - first, total);
        }
    }
    // A file written in place while it was read may have handed this pass frames of both its
    // old and its new content: the pass is good only when the file is still the one opened.
    if (!Unchanged()) return Fail(Cause::FileChanged);
    return {};
}

}  // namespace quillon
