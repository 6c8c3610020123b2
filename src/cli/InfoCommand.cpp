// info: the header fields, frame count, duration and available channels of a log, as text or
// as JSON. A .dlz is decoded in memory; nothing is written beside it.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "model/DataLogFile.h"
#include "format/DlzCodec.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "info LOG [--json]";

std::string Format(const char* format, unsigned value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

/// Time of day (UTC) of a millisecond timestamp, as the start-time texts show it: 14:03:22.125.
std::string TimeOfDay(uint64_t timestamp) {
    uint64_t seconds = timestamp / 1000;
    unsigned ms = unsigned(timestamp % 1000);
    uint64_t day = seconds % 86400;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u.%03u", unsigned(day / 3600),
                  unsigned(day / 60 % 60), unsigned(day % 60), ms);
    return buffer;
}

/// A UTF-8 text padded with blanks to `width` characters.
std::string Pad(const std::string& utf8, size_t width) {
    size_t chars = 0;
    for (unsigned char c : utf8)
        chars += (c & 0xC0) != 0x80;
    return chars < width ? utf8 + std::string(width - chars, ' ') : utf8;
}

int Fail(const std::string& message) {
    return ReportFailure("info", message);
}

struct ChannelLine {
    int number;
    std::string name, unit, format;
};

int RunInfo(const CommandArgs& args) {
    std::string path;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (path.empty() && !a.empty() && a[0] != '-') {
            path = a;
        } else {
            std::fprintf(stderr, "quillon-cli info: unexpected argument '%s'\nusage: %s\n",
                         a.c_str(), kUsage);
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: %s\n", kUsage);
        return 2;
    }
    LogData log;
    if (Result r = ReadLogFile(path, log); !r.ok()) return Fail(FailureLine(r));

    using H = DataLogHeader;
    const H& h = log.header;
    const int n = log.frameCount;
    const float duration = n > 0 ? log.values[0][size_t(n - 1)] - log.values[0][0] : 0.0f;
    std::vector<ChannelLine> channels;
    for (int c = 1; c <= kChannelCount; ++c)
        if (IsChannelAvailable(log.config, c))
            channels.push_back({c, GetChannelName(log.config, c), GetChannelUnit(log.config, c),
                                GetChannelValueFormat(log.config, c)});

    const std::string version =
        std::to_string(h.Get(H::versionMajor)) + "." + std::to_string(h.Get(H::versionMinor));
    if (json) {
        std::string out = "{\n";
        auto field = [&](const char* name, const std::string& value) {
            out += "  \"" + std::string(name) + "\": " + value + ",\n";
        };
        field("file", JsonText(path));
        field("version", JsonText(version));
        field("date", JsonText(Format("%08X", h.Get(H::logDate))));
        field("globalFile", JsonText(h.Get(H::globalFile)));
        field("firmwareVersion", JsonText(Format("%08X", h.Get(H::firmwareVersion))));
        field("ecuId", std::to_string(h.Get(H::ecuSerial)));
        field("zeroTime", JsonNumber(h.Get(H::zeroTime)));
        field("firstTimestamp", std::to_string(log.firstTimestamp));
        field("startTime", JsonText(TimeOfDay(log.firstTimestamp)));
        field("frames", std::to_string(n));
        field("duration", JsonNumber(duration));
        field("notes", JsonText(h.Get(H::notes)));
        out += "  \"channels\": [";
        for (size_t i = 0; i < channels.size(); ++i) {
            const ChannelLine& ch = channels[i];
            out += (i ? ",\n    " : "\n    ");
            out += "{\"number\": " + std::to_string(ch.number) +
                   ", \"name\": " + JsonText(ch.name) + ", \"unit\": " + JsonText(ch.unit) +
                   ", \"format\": " + JsonText(ch.format) + "}";
        }
        out += "\n  ]\n}\n";
        std::fputs(out.c_str(), stdout);
        return 0;
    }

    std::printf("File: %s\n", path.c_str());
    std::printf("Logfile Version: %u.%u\n", h.Get(H::versionMajor), h.Get(H::versionMinor));
    std::printf("Date: %08X\n", h.Get(H::logDate));
    std::printf("Global File: %s\n", TerminalText(h.Get(H::globalFile)).c_str());
    std::printf("Firmware Version: %08X\n", h.Get(H::firmwareVersion));
    std::printf("ECU ID: %u\n", h.Get(H::ecuSerial));
    std::printf("Zero Time: %.3f sec\n", double(h.Get(H::zeroTime)));
    std::printf("Start Time: %s (UTC)\n", TimeOfDay(log.firstTimestamp).c_str());
    std::printf("Frames: %d\n", n);
    std::printf("Duration: %.3f sec\n", double(duration));
    if (!h.Get(H::notes).empty()) std::printf("Notes: %s\n", TerminalText(h.Get(H::notes)).c_str());
    std::printf("Channels available: %zu\n", channels.size());
    std::printf("%7s  %-22s %-12s %s\n", "Channel", "Name", "Unit", "Format");
    for (const ChannelLine& ch : channels)
        std::printf("%7d  %s %s %s\n", ch.number, Pad(TerminalText(ch.name), 22).c_str(),
                    Pad(TerminalText(ch.unit), 12).c_str(), TerminalText(ch.format).c_str());
    return 0;
}

const CommandRegistrar registrar("info", kUsage, RunInfo);

}  // namespace

}  // namespace quillon::cli
