#pragma once
/// Saves that never leave a half-written target: the bytes go to a temporary file in the same
/// folder, which is renamed over the target only when everything was written.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace quillon {

class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file; false (with Error()) when the folder is not writable.
    bool Open();
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    /// Flushes, closes and renames over the target; false (with Error()) on any failure, in which
    /// case the target is left as it was.
    bool Commit();
    const std::string& Error() const { return m_error; }

private:
    std::string m_target;
    std::string m_temp;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    std::string m_error;
};

/// Writes the whole content atomically; false with a message in *error on failure.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr);

}  // namespace quillon
