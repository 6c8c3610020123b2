#include "model/LogStore.h"

#include <algorithm>
#include <cstring>

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
    store->m_buffer.resize(size_t(kBlockFrames) * kFrameSize);
    return store;
}

LogStore::~LogStore() {
    fs::Unmap(m_map, m_fileSize);
}

Result LogStore::BrokenFailure() const {
    return Result::Failure(ErrorKind::Unreadable, Cause::FileChanged, m_path);
}

Result LogStore::Fail() {
    m_broken = true;
    return BrokenFailure();
}

Result LogStore::Pass(int first, int end, const BlockFunction& block,
                      const ProgressCallback& progress) {
    if (m_broken) return Fail();
    first = std::max(first, 0);
    end = std::min(end, m_frames);
    if (first >= end) return {};
    // A file truncated, replaced or rewritten since it was opened is not read again: its frames
    // would no longer be the ones the log's statistics and edits were made from.
    const auto now = fs::IdentityOf(m_file.Get());
    if (!now || !(*now == m_identity)) return Fail();
    const int total = end - first;
    int reported = first;
    for (int f = first; f < end; f += kBlockFrames) {
        const int n = std::min(kBlockFrames, end - f);
        const size_t bytes = size_t(n) * kFrameSize;
        const uint64_t at = kFramesOffset + uint64_t(f) * kFrameSize;
        if (m_map) {
            // Only the copy touches the mapping: a file cut short under it ends this pass here.
            MappedCopy copy{m_map + at, m_buffer.data(), bytes};
            if (!fs::RunGuardedAgainstVanishedMapping(CopyMapped, &copy)) return Fail();
        } else {
            size_t got = 0;
            if (!fs::ReadAt(m_file.Get(), at, m_buffer.data(), bytes, got) || got < bytes)
                return Fail();
        }
        if (!block(m_buffer.data(), f, n))
            return Result::Failure(ErrorKind::Cancelled, Cause::None);
        if (progress && (f + n - reported >= kProgressFrames || f + n == end)) {
            reported = f + n;
            progress(reported - first, total);
        }
    }
    return {};
}

}  // namespace quillon
