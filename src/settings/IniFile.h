#pragma once
/// A Windows private-profile text file ("[Section]" lines and "Key=value" lines), read and
/// written one operation at a time with nothing cached: a write is seen by the next read.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

class IniFile {
public:
    explicit IniFile(std::string path) : m_path(std::move(path)) {}

    /// The value of a key, or nothing when the file, section or key is missing. Sections and
    /// keys compare without regard to case; blanks around keys and values and one pair of
    /// enclosing quotes are dropped; the first occurrence counts.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    /// Writes one key; the file is replaced atomically. False when it cannot be written.
    bool Write(std::string_view section, std::string_view key, std::string_view value);
    /// Writes several keys of one section in one replacement of the file, in the given order.
    bool Write(std::string_view section,
               const std::vector<std::pair<std::string, std::string>>& keyValues);

    const std::string& Path() const { return m_path; }

    /// Read over a file's text in memory (its bytes as they are, byte order mark included).
    static std::optional<std::string> ReadText(std::string_view content, std::string_view section,
                                               std::string_view key);
    /// The text Write would put in place of `content`.
    static std::string WriteText(std::string_view content, std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& keyValues);

private:
    std::string m_path;
};

}  // namespace quillon
