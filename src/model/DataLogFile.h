#pragma once
/// Reading and writing V4 log files: header and configuration block byte for byte, frames
/// scattered into per-slot value and status columns and gathered back.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/DataLogHeader.h"
#include "model/LogData.h"
#include "platform/FileHandle.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// What a read makes at once besides time and statistics.
struct ReadOptions {
    /// Every value and status column (as a log in memory has them), or only the value columns
    /// of `wantedSlots`; the others are made when needed (EnsureColumns).
    bool allColumns = true;
    std::vector<int> wantedSlots;
    /// Value columns made besides when the frames are read (not when the opening comes from
    /// the summary cache): cheap in the same pass, they spare a second one.
    std::vector<int> passSlots;
    /// Frames are read through a read-only mapping of the file instead of positioned reads into
    /// the pass's buffer. Both give the same bytes; reads are the default because they measured
    /// several times faster on virtual machines, where every first touch of a mapped page costs
    /// a page-table update, while a read copies from the page cache in one sequential sweep.
    bool allowMapping = false;
    /// Asked between blocks of frames; once it says so the read ends as Cancelled.
    CancelCheck cancelled;
    /// Whether a read that makes no column besides time takes the opening pass's figures from
    /// the summary cache (SummaryCache) when it holds them for this exact file, and whether it
    /// writes them there after a pass.
    bool cachedOpening = false;
    bool cacheOpening = false;
};

/// Reads a V4 log in two steps, so that a caller can keep its current log until the new file's
/// magic and version have passed. The file is opened once; its first bytes tell a log from a
/// compressed log, whatever its name.
class DataLogReader {
public:
    /// Opens the file and reads its first bytes. A log is checked (magic, version, length of at
    /// least 16204 bytes); a compressed log is recognised (Compressed()) and kept open as well.
    Result Open(const std::string& path);
    /// The open file is a compressed log (.dlz).
    bool Compressed() const { return m_compressed; }
    /// Expands the open compressed log into a .dl beside it (ExpandDlzFile) and opens that in
    /// its place; Path() then names it.
    Result Expand(const ProgressCallback& progress = {});
    /// Reads header and configuration block into `log`, replacing what it held, and makes one
    /// pass over the frames for time and statistics; the file stays open in the log for the
    /// columns made later. Progress is reported in frames. On failure `log` is left empty. A
    /// compressed log is decoded in memory instead (nothing is written beside it), straight into
    /// the columns; it fails (ChangedWhileRead) when the file changed while it was decoded.
    Result ReadInto(LogData& log, const ProgressCallback& progress = {},
                    const ReadOptions& options = {});

    const std::string& Path() const { return m_path; }

    /// After a successful Open: the header and the number of whole frames in the file.
    const DataLogHeader& Header() const { return m_header; }
    int FrameCount() const { return m_frames; }
    uint64_t FileSize() const { return m_fileSize; }

private:
    Result DecodeInto(LogData& log, const ProgressCallback& progress);

    FileHandle m_file;
    std::optional<FileIdentity> m_identity;
    bool m_compressed = false;
    std::string m_path;
    uint64_t m_fileSize = 0;
    int m_frames = 0;
    DataLogHeader m_header;
    EcuConfigBlock m_config;
};

/// Opens and reads a V4 log file, or decodes a compressed one in memory, in one go.
Result ReadDataLog(const std::string& path, LogData& log, const ProgressCallback& progress = {},
                   const ReadOptions& options = {});
/// The same from bytes in memory (a whole file's content).
Result ReadDataLogBytes(const uint8_t* data, size_t size, LogData& log);

/// Timestamp written for frame i: first timestamp + round((time + zero time) x 1000).
uint64_t FrameTimestamp(const LogData& log, int frame);

/// Writes the log atomically: the old file stays whole when anything fails. Where the system
/// replaces no open file (Windows), a log written over its own file first lets the file go.
Result WriteDataLog(const std::string& path, LogData& log, const ProgressCallback& progress = {});
/// The bytes WriteDataLog would write.
std::vector<uint8_t> DataLogBytes(const LogData& log);

}  // namespace quillon
