#pragma once
/// The compressed log form .dlz: word flip, run-length expansion, word flip; and the expansion
/// of a .dlz file into the .dl beside it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datalog/Progress.h"

namespace quillon {

/// Whether a path names a compressed log: its lower-cased file name contains ".dlz".
bool IsDlzPath(const std::string& path);

/// The .dl path a .dlz expands to: the folders as given, the file name lower-cased with every
/// ".dlz" replaced by ".dl" (Logs/Run.DLZ gives Logs/run.dl).
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

private:
    enum class State { Literal, NeedCount, NeedValue };
    State m_state = State::Literal;
    uint8_t m_count = 0;
};

/// Decodes .dlz bytes in memory into the bytes of the .dl file; false (with a message) when the
/// expansion does not fit in memory, as a small damaged file can ask for up to 85 times its size.
bool DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
               std::string* error = nullptr);
/// The same, giving an empty result when the expansion does not fit in memory.
std::vector<uint8_t> DecodeDlz(const uint8_t* data, size_t size);

/// Expands a .dlz file into DlzTargetPath(dlzPath) through the scratch files dlzPath + ".flip"
/// and dlzPath + ".flipdecomp", which are removed afterwards. The target is written atomically
/// and only when the decoded data is long enough to hold a magic and version (12 bytes), so a
/// broken or empty .dlz never replaces a good .dl. Progress is reported in bytes.
bool ExpandDlzFile(const std::string& dlzPath, std::string* dlPath, std::string* error,
                   const ProgressCallback& progress = {});

}  // namespace quillon
