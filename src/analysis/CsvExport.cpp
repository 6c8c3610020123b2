#include "analysis/CsvExport.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/AtomicFile.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "format/DataLogFrame.h"
#include "format/ByteRecord.h"
#include "platform/FileSystem.h"
#include "model/LogColumns.h"

namespace quillon {

namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

/// Names and units come from the log's configuration block and may hold any byte. Plain ones
/// are written as they are; one holding a comma, a quote or a line break is quoted, so that it
/// cannot shift the columns or split the line.
void AppendCell(std::string& line, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        line += text;
        return;
    }
    line += '"';
    for (char ch : text) {
        if (ch == '"') line += '"';
        line += ch;
    }
    line += '"';
}

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

/// Writes v in decimal and returns the end.
char* WriteUnsigned(char* out, uint64_t v) {
    char digits[20];
    char* p = digits + sizeof digits;
    while (v >= 100) {
        const unsigned pair = unsigned(v % 100) * 2;
        v /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (v >= 10) {
        *--p = kDigitPairs[v * 2 + 1];
        *--p = kDigitPairs[v * 2];
    } else {
        *--p = char('0' + v);
    }
    const size_t n = size_t(digits + sizeof digits - p);
    std::memcpy(out, p, n);
    return out + n;
}

/// Writes exactly six digits of v (< 1,000,000).
char* WriteSixDigits(char* out, unsigned v) {
    for (int k = 4; k >= 0; k -= 2) {
        const unsigned pair = (v % 100) * 2;
        v /= 100;
        out[k] = kDigitPairs[pair];
        out[k + 1] = kDigitPairs[pair + 1];
    }
    return out + 6;
}

}  // namespace

std::string DefaultCsvPath(const std::string& logPath) {
    const size_t nameStart = logPath.size() - fs::FileNameOf(logPath).size();
    std::string name = logPath.substr(nameStart);
    const std::string original = name;
    ReplaceAll(name, ".dl", ".csv");
    ReplaceAll(name, ".DL", ".csv");
    // A name without ".dl" would otherwise propose the log itself as the export's target.
    if (name == original && !name.empty()) name += ".csv";
    return logPath.substr(0, nameStart) + name;
}

std::string CsvHeaderLines(const EcuConfigBlock& config) {
    std::string text = "Point Number";
    for (int c = 1; c <= kChannelCount; ++c) {
        text += ',';
        AppendCell(text, GetChannelName(config, c));
    }
    text += '\n';
    for (int c = 1; c <= kChannelCount; ++c) {
        text += ',';
        const std::string unit = GetChannelUnit(config, c);
        if (!unit.empty()) AppendCell(text, "[" + unit + "]");
    }
    text += '\n';
    return text;
}

char* FormatFixed6(char* out, float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const uint32_t biased = (bits >> 23) & 0xFF;
    const uint32_t fraction = bits & 0x7FFFFF;
    // Fast path: the value is m * 2^e exactly, and value * 10^6 rounded half to even (what
    // "%f" prints) is computed in 64-bit integers while it stays below 2^63.
    if (biased < 150 + 19) {
        const uint64_t m = biased ? (fraction | 0x800000u) : fraction;
        const int e = biased ? int(biased) - 150 : -149;
        uint64_t scaled;  // value * 10^6, rounded
        if (e >= 0) {
            scaled = (m << e) * 1000000u;  // m << e < 2^43
        } else {
            const uint64_t exact = m * 1000000u;  // < 2^44
            const int k = -e;
            if (k >= 64) {
                scaled = 0;  // below half a millionth
            } else {
                scaled = exact >> k;
                const uint64_t rest = exact & ((uint64_t(1) << k) - 1);
                const uint64_t half = uint64_t(1) << (k - 1);
                if (rest > half || (rest == half && (scaled & 1))) ++scaled;
            }
        }
        if (bits >> 31) *out++ = '-';
        out = WriteUnsigned(out, scaled / 1000000u);
        *out++ = '.';
        return WriteSixDigits(out, unsigned(scaled % 1000000u));
    }
    if (std::isnan(value)) {
        // to_chars and printf agree on "nan" and "-nan"; spelled out here so that the text does
        // not depend on either.
        const char* text = (bits >> 31) ? "-nan" : "nan";
        const size_t n = std::strlen(text);
        std::memcpy(out, text, n);  // NOLINT(bugprone-not-null-terminated-result): a counted cell
        return out + n;
    }
    return std::to_chars(out, out + kMaxFixed6Length, double(value), std::chars_format::fixed, 6)
        .ptr;
}

Result ExportCsv(const LogData& log, const std::string& path, const ProgressCallback& progress,
                 const std::function<bool()>& cancelRequested) {
    AtomicFile file(path);
    if (!file.Open()) {
        Result failure = file.Failure();
        failure.kind = ErrorKind::CannotOpen;
        return failure.During(Operation::ExportCsv);
    }

    // Guards against columns shorter than the frame count claims (a log read from a file has
    // its frames there).
    size_t frames = log.frameCount > 0 ? size_t(log.frameCount) : 0;
    if (!log.source.store)
        for (const auto& column : log.values)
            frames = std::min(frames, column.size());
    const int total = int(frames);
    if (progress) progress(0, total);

    bool ok = file.Write(CsvHeaderLines(log.config));

    // Lines are assembled in a large buffer that is written whenever less than one worst-case
    // line would still fit.
    constexpr size_t kLineMax = 16 + kSlotCount * (kMaxFixed6Length + 1);
    constexpr size_t kBufferSize = size_t(4) << 20;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    char* const begin = buffer.get();
    char* p = begin;
    const int step = total / 500;
    bool cancelled = false;
    // Lines of frames [first, first + n); valueOf(s, i) is slot s's value at frame first + i.
    auto writeLines = [&](int first, int n, auto valueOf) {
        for (int i = 0; i < n && ok; ++i) {
            const int point = first + i + 1;
            p = WriteUnsigned(p, uint64_t(point));
            *p++ = ',';
            for (int s = 0; s < kSlotCount; ++s) {
                p = FormatFixed6(p, valueOf(s, i));
                *p++ = ',';
            }
            p[-1] = '\n';  // the last value has no comma after it
            if (size_t(begin + kBufferSize - p) < kLineMax) {
                ok = file.Write(begin, size_t(p - begin));
                p = begin;
            }
            if (progress && (total <= 500 || point == 1 || point == total || point % step == 0)) {
                progress(point, total);
                if (cancelRequested && cancelRequested()) {
                    cancelled = true;
                    return false;
                }
            }
        }
        return ok;
    };

    if (log.source.store) {
        // Frames come from the file in blocks; the time and the columns made here (math
        // channels) from memory.
        const Result pass = VisitFrames(log, 0, total, [&](const uint8_t* raw, int first, int n) {
            return writeLines(first, n, [&](int s, int i) {
                if (IsFileSlot(log, s))
                    return LoadF32(raw + size_t(i) * kFrameSize + 8 * size_t(s));
                const Column<float>& column = log.values[s];
                const size_t at = size_t(first) + size_t(i);
                return column.size() > at ? column[at] : 0.0f;
            });
        });
        if (!pass.ok() && !cancelled && ok) return Result(pass).During(Operation::ExportCsv);
    } else {
        const float* columns[kSlotCount];
        for (int s = 0; s < kSlotCount; ++s)
            columns[s] = log.values[s].data();
        writeLines(0, total, [&](int s, int i) { return columns[s][i]; });
    }
    // The temporary goes with `file`; the target was never touched.
    if (cancelled) return Result::Failure(ErrorKind::Cancelled, Cause::None);
    if (ok && p != begin) ok = file.Write(begin, size_t(p - begin));
    if (ok) ok = file.Commit();
    if (!ok) return Result(file.Failure()).During(Operation::ExportCsv);
    return Result::Success();
}

}  // namespace quillon
