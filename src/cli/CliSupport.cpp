#include "cli/CliSupport.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/DataLogFile.h"
#include "model/ZeroTime.h"
#include "platform/FileSystem.h"
#include "texts/FailureText.h"
#include "texts/UserTexts.h"

namespace quillon::cli {

Result ReadLogFile(const std::string& path, LogData& log, const ProgressCallback& progress) {
    // Columns are made from the file as each command needs them.
    ReadOptions options;
    options.allColumns = false;
    // The viewer's cached opening of the same file is used; a report writes nothing there.
    options.cachedOpening = true;
    Result r = ReadDataLog(path, log, progress, options);
    if (!r.ok() && r.path.empty()) r.path = path;
    return r;
}

std::string FailureLine(const Result& failure, const std::string& target) {
    if (failure.operation == Operation::ExportCsv) {
        if (failure.kind == ErrorKind::Unreadable)
            return FailureText(failure) + " '" + target + "': ";
        return std::string(failure.kind == ErrorKind::CannotOpen ? kOpenErrorText
                                                                 : kSaveErrorText) +
               " '" + target + "': " + FailureText(failure);
    }
    if (failure.operation == Operation::ReadGraph)
        return std::string(kOpenErrorText) + ": '" + failure.path + "'";
    if (failure.kind == ErrorKind::WrongVersion)
        return "'" + failure.path + "': " + kVersionUnrecognizedCaption +
               " (not a version 0.4 log); convert it with 'quillon-cli upgrade'";
    if (failure.kind == ErrorKind::WrongMagic)
        return "'" + failure.path + "': " + kMagicMismatchText;
    std::string line = FailureText(failure);
    return line.empty() ? "cannot read '" + failure.path + "'" : line;
}

int ReportFailure(const char* verb, const std::string& message) {
    std::fprintf(stderr, "quillon-cli %s: %s\n", verb, message.c_str());
    return 1;
}

int ReportUsageError(const char* verb, const char* usage, const std::string& message) {
    std::fprintf(stderr, "quillon-cli %s: %s\nusage: %s\n", verb, message.c_str(), usage);
    return 2;
}

bool ParseSeconds(const std::string& text, float& out) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    double value = 0;
    auto [ptr, ec] = std::from_chars(begin, end, value);
    // Times and values are single precision: 1e39 would become infinity.
    if (ec != std::errc() || ptr != end || !std::isfinite(value) ||
        !std::isfinite(static_cast<float>(value)))
        return false;
    out = static_cast<float>(value);
    return true;
}

bool ParseChannel(const std::string& text, int& out) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size() && out >= 1 && out <= 440;
}

std::string TakeCondition(const std::vector<std::string>& args, size_t& i, int& channel,
                          uint32_t& condition, float& value) {
    if (i + 3 >= args.size()) return args[i] + " needs CHANNEL '<'|'>' VALUE";
    if (!ParseChannel(args[i + 1], channel)) return "the channel must be a number from 1 to 440";
    if (args[i + 2] != "<" && args[i + 2] != ">") return "the condition must be '<' or '>'";
    condition = args[i + 2] == ">" ? kAutoZeroGreaterThan : kAutoZeroLessThan;
    if (!ParseSeconds(args[i + 3], value)) return "the trigger must be a number";
    i += 3;
    return {};
}

uint32_t Cp1252CodePoint(uint8_t c) {
    static constexpr uint16_t k80[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
}

std::string Utf8FromCp1252(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        uint32_t u = Cp1252CodePoint(c);
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

namespace {

bool IsControl(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

void AppendEscape(std::string& out, unsigned char c) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\x%02x", unsigned(c));
    out += escape;
}

}  // namespace

std::string TerminalText(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (IsControl(Cp1252CodePoint(c)))
            AppendEscape(out, c);
        else
            out += Utf8FromCp1252(std::string(1, char(c)));
    }
    return out;
}

std::string EscapedBytes(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (IsControl(c))
            AppendEscape(out, c);
        else
            out += char(c);
    }
    return out;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x80) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(Cp1252CodePoint(c)));
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "null";
}

std::string EditedLogPath(const std::string& in, const std::string& out, const std::string& suffix,
                          std::string& error) {
    std::string path = out;
    if (path.empty()) {
        const std::string folder = in.substr(0, in.size() - fs::FileNameOf(in).size());
        std::string name = fs::FileNameOf(in);
        std::string lower = name;
        for (char& c : lower)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string e : {".dlz", ".dl"}) {
            if (lower.size() > e.size() &&
                lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
                name.resize(name.size() - e.size());
                break;
            }
        }
        path = folder + name + suffix + ".dl";
    }
    if (fs::SameFile(path, in)) {
        error = "the output '" + path + "' is the input itself; choose another file with -o";
        return {};
    }
    return path;
}

std::string TakeLogOrOutput(const std::vector<std::string>& args, size_t& i, std::string& path,
                            std::string& out) {
    const std::string& a = args[i];
    if (a == "-o") {
        if (i + 1 >= args.size() || args[i + 1].empty()) return "-o needs a file name";
        out = args[++i];
    } else if (path.empty() && !a.empty() && a[0] != '-') {
        path = a;
    } else {
        return "unexpected argument '" + a + "'";
    }
    return {};
}

std::string ReadLogForEdit(const std::string& path, const std::string& out,
                           const std::string& suffix, LogData& log, std::string& target) {
    std::string error;
    target = EditedLogPath(path, out, suffix, error);
    if (target.empty()) return error;
    if (Result r = ReadLogFile(path, log); !r.ok()) return FailureLine(r);
    if (log.Empty()) return "'" + path + "' holds no frames";
    return {};
}

}  // namespace quillon::cli
