#pragma once
/// Reading and writing V4 log files: header and configuration block byte for byte, frames
/// scattered into per-slot value and status columns and gathered back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "format/DataLogHeader.h"
#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// What a read makes at once besides time and statistics.
struct ReadOptions {
    /// Every value and status column (as a log in memory has them), or only the value columns
    /// of `wantedSlots`; the others are made when needed (EnsureColumns).
    bool allColumns = true;
    std::vector<int> wantedSlots;
    /// Frames are read through a read-only mapping of the file instead of positioned reads into
    /// the pass's buffer. Both give the same bytes; reads are the default because they measured
    /// several times faster on virtual machines, where every first touch of a mapped page costs
    /// a page-table update, while a read copies from the page cache in one sequential sweep.
    bool allowMapping = false;
};

/// Reads a V4 log in two steps, so that a caller can keep its current log until the new file's
/// magic and version have passed.
class DataLogReader {
public:
    DataLogReader() = default;
    ~DataLogReader();
    DataLogReader(const DataLogReader&) = delete;
    DataLogReader& operator=(const DataLogReader&) = delete;

    /// Opens the file and checks its magic, version and length (at least 16204 bytes).
    Result Open(const std::string& path);
    /// Reads header and configuration block into `log`, replacing what it held, and makes one
    /// pass over the frames for time and statistics; the file stays open in the log for the
    /// columns made later. Progress is reported in frames. On failure `log` is left empty.
    Result ReadInto(LogData& log, const ProgressCallback& progress = {},
                    const ReadOptions& options = {});

    /// After a successful Open: the header and the number of whole frames in the file.
    const DataLogHeader& Header() const { return m_header; }
    int FrameCount() const { return m_frames; }
    uint64_t FileSize() const { return m_fileSize; }

private:
    void Close();

    intptr_t m_fd = -1;  // an fs::Handle (kept out of this header: fs is a common alias)
    std::string m_path;
    uint64_t m_fileSize = 0;
    int m_frames = 0;
    DataLogHeader m_header;
    EcuConfigBlock m_config;
};

/// Opens and reads a V4 log file in one go.
Result ReadDataLog(const std::string& path, LogData& log, const ProgressCallback& progress = {},
                   const ReadOptions& options = {});
/// The same from bytes in memory (a whole file's content).
Result ReadDataLogBytes(const uint8_t* data, size_t size, LogData& log);

/// Timestamp written for frame i: first timestamp + round((time + zero time) x 1000).
uint64_t FrameTimestamp(const LogData& log, int frame);

/// Writes the log atomically: the old file stays whole when anything fails. Where the system
/// replaces no open file (Windows), a log written over its own file first lets the file go.
bool WriteDataLog(const std::string& path, LogData& log, std::string* error = nullptr,
                  const ProgressCallback& progress = {});
/// The bytes WriteDataLog would write.
std::vector<uint8_t> DataLogBytes(const LogData& log);

}  // namespace quillon
