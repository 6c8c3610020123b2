#pragma once
/// The compressed log form .dlz: word flip, run-length expansion, word flip; and the expansion
/// of a .dlz file into the .dl beside it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileHandle.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// Whether a path names a compressed log: its lower-cased file name contains ".dlz".
bool IsDlzPath(const std::string& path);

/// Whether the first bytes of a file are those of a compressed log: they decode to a log's
/// magic and version 0.4. (A compressed log's own first word is often the magic too: its
/// version words tell the two forms apart.)
bool IsDlzStart(const uint8_t* data, size_t size);

/// The .dl path a .dlz expands to: the folders and the file name as given, with every ".dlz" (in
/// any case) replaced by ".dl" (Logs/Run.DLZ gives Logs/Run.dl).
std::string DlzTargetPath(const std::string& dlzPath);

/// Reverses the bytes of every 4-byte word of `in` into `out` (which may be `in`); a trailing
/// group of 1 to 3 bytes is dropped. Returns the number of bytes written.
size_t FlipWords(const uint8_t* in, size_t size, uint8_t* out);

/// Run-length expansion that can be fed in pieces: 0xFF n v stands for n copies of v, every
/// other byte for itself. An escape cut off at the very end of the input produces nothing.
class RunLengthExpander {
public:
    /// Appends the expansion of the next `size` input bytes to `out`.
    void Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out);
    /// Number of output bytes the next `size` input bytes produce (the state is not changed).
    uint64_t Measure(const uint8_t* data, size_t size) const;
    /// The same, moving past those bytes as Feed would.
    uint64_t Skip(const uint8_t* data, size_t size);

private:
    enum class State { Literal, NeedCount, NeedValue };
    State m_state = State::Literal;
    uint8_t m_count = 0;
};

/// Decodes .dlz bytes in memory into the bytes of the .dl file. The decoded size is measured
/// first: DecodedTooLarge (nothing allocated) when it exceeds `memoryLimit`, as a small crafted
/// file can ask for 85 times its size.
Result DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out, uint64_t memoryLimit);
/// The same with DecodeMemoryLimit().
Result DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out);
/// The same, giving an empty result when the expansion does not fit in memory.
std::vector<uint8_t> DecodeDlz(const uint8_t* data, size_t size);
/// Half of the memory available now: the decoded bytes and the columns read from them.
uint64_t DecodeMemoryLimit();

/// Receives decoded bytes in whole 4-byte words; returning false stops the decoding.
using DecodedSink = std::function<bool(const uint8_t* data, size_t size)>;
/// The number of bytes the open compressed log `in` decodes to (read from its start), measured
/// without producing them; ReadFailed (naming `path`, with the system's reason) on a read error.
Result MeasureDlzFile(const FileHandle& in, const std::string& path, uint64_t& decoded);
/// Decodes the open compressed log `in` from its start into `sink` piece by piece, in memory
/// bounded by the piece size; ReadFailed as above, Cancelled when the sink stops.
Result DecodeDlzFile(const FileHandle& in, const std::string& path, const DecodedSink& sink);

/// Expands a .dlz file into a .dl beside it, streamed piece by piece in bounded memory and
/// without scratch files shared with other runs. The decoded size is measured first and checked
/// against the free disk space; the data is checked as a log (magic, version, length) before
/// anything gets a name. The .dl is DlzTargetPath(dlzPath) when that is free or already holds
/// exactly the decoded bytes; an existing different file (or link) there is never replaced: the
/// next free or identical name of run-2.dl, run-3.dl ... is used instead. Where the folder takes
/// no new files (read-only media) the same names are used in the user's cache folder.
/// *dlPath receives the name used.
/// Progress is reported in bytes.
Result ExpandDlzFile(const std::string& dlzPath, std::string* dlPath,
                     const ProgressCallback& progress = {});
/// The same for a compressed log already open as `in` (read from its start), whatever its name:
/// the .dl is named after `dlzPath` as above when the name holds ".dlz", else `dlzPath` with
/// ".dl" appended.
Result ExpandDlzFile(const FileHandle& in, const std::string& dlzPath, std::string* dlPath,
                     const ProgressCallback& progress = {});

}  // namespace quillon
