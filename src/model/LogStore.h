#pragma once
/// The frames of an open log file, read in place: the file is mapped read-only where the system
/// allows it (and read in blocks otherwise), and every read of frames is a pass over a frame
/// range, block by block through one small buffer, that checks at its start and at its end that
/// the file is still the one that was opened, unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

class LogStore {
public:
    /// Frames handed to a pass's block function at a time (at most).
    static constexpr int kBlockFrames = 64;

    struct Options {
        bool allowMapping = false;
        /// The file's identity when its first bytes were read; taken now when missing.
        std::optional<fs::FileIdentity> identity;
    };

    /// Takes over `file`, an open log of `fileSize` bytes whose header passed its checks.
    static std::shared_ptr<LogStore> Create(fs::FileHandle file, const std::string& path,
                                            uint64_t fileSize, Options options);
    ~LogStore();
    LogStore(const LogStore&) = delete;
    LogStore& operator=(const LogStore&) = delete;

    const std::string& Path() const { return m_path; }
    /// Whole frames in the file.
    int FrameCount() const { return m_frames; }
    /// Bytes of the partial frame after the last whole one (0 when there is none).
    size_t TailSize() const { return m_tailSize; }
    /// The partial trailing frame, its missing bytes 0 (a whole frame's size).
    const uint8_t* TailFrame() const { return m_tail.data(); }
    bool Mapped() const { return m_map != nullptr; }
    /// Reads the file's first `size` bytes (its header and configuration block as stored, whatever
    /// the log in memory made of them); false when they cannot be read.
    bool ReadStart(uint8_t* out, size_t size) const;
    /// The file's identity when it was opened (or last renewed).
    const fs::FileIdentity& Identity() const { return m_identity; }

    /// Calls block(frames, first, n) for the whole frames [first, end), in order, n at most
    /// kBlockFrames, until it returns false (then the result is Cancelled); `frames` is valid
    /// during the call only. Progress is reported between blocks in frames. Fails, and leaves the
    /// store broken, when the file was truncated or changed since it was opened (FileChanged) or
    /// cannot be read (LogReadFailed, with the system's reason); a pass that fails only at its
    /// end has handed changed frames to `block`, whose results the caller must drop.
    using BlockFunction = std::function<bool(const uint8_t* frames, int first, int n)>;
    Result Pass(int first, int end, const BlockFunction& block,
                const ProgressCallback& progress = {});

    /// One whole frame through a small cache of recently read blocks, so that the values of many
    /// channels at one frame, or at frames near it, take one read of the file; valid until the
    /// next call. Null when the block cannot be read (the store is then broken, as by a pass).
    const uint8_t* CachedFrame(int frame);

    /// A pass that may run on another thread beside this store's other reads (and no progress):
    /// it reads through a buffer of its own and only returns its failure, leaving the store as it
    /// was; the store's next pass finds the same fault and reports it. Renew must not run
    /// meanwhile.
    Result SharedPass(int first, int end, const BlockFunction& block) const;

    /// Takes the open file's identity anew after this program gave its name to another file (a
    /// log saved over its own file), which changes the open file's change time and nothing else.
    /// A broken store stays broken.
    void Renew();

    /// Set once a pass found the file changed or unreadable; every later pass fails at once.
    bool Broken() const { return m_broken; }
    /// The failure of a broken store (FileChanged or LogReadFailed, naming its file).
    Result BrokenFailure() const;

private:
    LogStore() = default;
    Result Fail(Cause cause, std::string system = {});
    /// FileChanged when the file is no longer the one opened, else LogReadFailed with `system`.
    Result FailRead(std::string system);
    bool Unchanged() const;
    /// Reads for Pass and SharedPass into `buffer`: false when `block` stopped the pass or it
    /// failed, the failure then in `cause` (FileChanged, or LogReadFailed with `system`).
    bool Read(int first, int end, const BlockFunction& block, const ProgressCallback& progress,
              uint8_t* buffer, Cause& cause, std::string& system) const;

    fs::FileHandle m_file;
    std::string m_path;
    uint64_t m_fileSize = 0;
    fs::FileIdentity m_identity;
    const uint8_t* m_map = nullptr;
    int m_frames = 0;
    size_t m_tailSize = 0;
    std::vector<uint8_t> m_tail;
    std::vector<uint8_t> m_buffer;
    struct CachedBlock {
        int first = -1;
        uint64_t used = 0;
        std::vector<uint8_t> frames;
    };
    std::array<CachedBlock, 8> m_cached;
    uint64_t m_uses = 0;
    bool m_broken = false;
    Result m_failure;
};

}  // namespace quillon
