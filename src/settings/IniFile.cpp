#include "settings/IniFile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace quillon {

namespace {

bool LoadFile(const std::string& path, std::string& content) {
    // Only a regular file is read: a FIFO or device in its place counts as a missing file
    // instead of blocking the program.
    content.clear();
    std::vector<uint8_t> bytes;
    if (!fs::ReadWholeFile(path, bytes)) return false;
    content.assign(bytes.begin(), bytes.end());
    return true;
}

/// A UTF-8 byte order mark some editors put at the start; it is not part of the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool StripByteOrderMark(std::string_view& content) {
    if (content.substr(0, kByteOrderMark.size()) != kByteOrderMark) return false;
    content.remove_prefix(kByteOrderMark.size());
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string_view::npos) end = content.size();
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

/// The section name of a "[Name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    size_t close = line.find(']');
    std::string_view name =
        line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
    return Trim(name);
}

/// The key of a "Key=value" line; comments and lines without '=' have none.
std::optional<std::string_view> KeyOf(std::string_view line, std::string_view* value = nullptr) {
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    if (value) *value = Trim(line.substr(eq + 1));
    return Trim(line.substr(0, eq));
}

/// Line ends and key lines may not break the file's structure: CR and LF become blanks.
std::string SafeText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

}  // namespace

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    std::string content;
    if (!LoadFile(m_path, content)) return std::nullopt;
    return ReadText(content, section, key);
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    return Write(section, {{std::string(key), std::string(value)}});
}

bool IniFile::Write(std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& keyValues) {
    std::string content;
    // A missing file is written new; one that exists but cannot be read is left alone rather
    // than replaced by the keys of this write alone.
    if (!LoadFile(m_path, content) && fs::KindOf(m_path) != fs::PathKind::Missing) return false;
    return WriteFileAtomically(m_path, WriteText(content, section, keyValues)).ok();
}

std::optional<std::string> IniFile::ReadText(std::string_view content, std::string_view section,
                                             std::string_view key) {
    StripByteOrderMark(content);
    bool inSection = false;
    bool seenSection = false;
    for (std::string_view line : SplitLines(content)) {
        if (auto name = SectionName(line)) {
            // Only the first section of a name is searched.
            if (inSection) return std::nullopt;
            inSection = !seenSection && EqualNoCase(*name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection) continue;
        std::string_view value;
        if (auto k = KeyOf(line, &value); k && EqualNoCase(*k, key)) {
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return std::string(value);
        }
    }
    return std::nullopt;
}

std::string IniFile::WriteText(std::string_view content, std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& keyValues) {
    const bool byteOrderMark = StripByteOrderMark(content);
    const bool crlf = content.find("\r\n") != std::string_view::npos ||
                      content.find('\n') == std::string_view::npos;
    const char* eol = crlf ? "\r\n" : "\n";

    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(content))
        lines.emplace_back(line);

    // Locate the first section of this name: its header line and the end of its key lines.
    size_t header = lines.size();
    for (size_t i = 0; i < lines.size(); ++i)
        if (auto name = SectionName(lines[i]); name && EqualNoCase(*name, section)) {
            header = i;
            break;
        }
    if (header == lines.size()) {
        while (!lines.empty() && Trim(lines.back()).empty())
            lines.pop_back();
        if (!lines.empty()) lines.emplace_back();
        std::string title = "[";
        title.append(SafeText(section)).append("]");
        lines.push_back(std::move(title));
        header = lines.size() - 1;
    }
    for (const auto& [key, value] : keyValues) {
        std::string newLine = SafeText(key);
        newLine.append("=").append(SafeText(value));
        size_t end = header + 1;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        bool replaced = false;
        for (size_t i = header + 1; i < end && !replaced; ++i)
            if (auto k = KeyOf(lines[i]); k && EqualNoCase(*k, key)) {
                lines[i] = newLine;
                replaced = true;
            }
        if (replaced) continue;
        // New keys go after the section's last non-blank line.
        size_t at = end;
        while (at > header + 1 && Trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine);
    }

    std::string out(byteOrderMark ? kByteOrderMark : std::string_view());
    out.reserve(content.size() + 64);
    for (std::string_view line : lines) {
        // A stray carriage return at the end of a line would make a CRLF with the line end
        // written after it, and the next write would take the file for a CRLF one. Readers trim
        // it anyway.
        if (!crlf)
            while (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
        out += line;
        out += eol;
    }
    return out;
}

}  // namespace quillon
