#include "datalog/DlzCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <memory>

#include "datalog/AtomicFile.h"

namespace quillon {

namespace {

// Files are processed in pieces of this size (a multiple of 4, so that words stay whole).
constexpr size_t kChunk = size_t(4) << 20;
// Shortest decoded data worth writing: room for the magic and the version words.
constexpr uint64_t kMinDecodedSize = 12;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

size_t FileNameStart(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

std::string Describe(const std::string& what, const std::string& path) {
    return what + " '" + path + "': " + std::strerror(errno);
}

FilePtr OpenForReading(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "'" + path + "' is a folder, not a log file";
        return nullptr;
    }
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) error = Describe("Cannot open", path);
    return file;
}

/// Reads the whole of `in` in pieces and hands each piece to `use`; false on a read error or
/// when `use` fails.
template <class Use>
bool ForEachChunk(std::FILE* in, const std::string& name, std::vector<uint8_t>& buffer,
                  std::string& error, Use&& use) {
    buffer.resize(kChunk);
    for (;;) {
        size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n > 0 && !use(buffer.data(), n)) return false;
        if (n < buffer.size()) {
            if (std::ferror(in)) {
                error = Describe("Cannot read", name);
                return false;
            }
            return true;
        }
    }
}

/// Word-flips the whole of `in`, handing the flipped bytes to `write`. Bytes of a word split
/// between two reads are carried over; a last group of 1 to 3 bytes is dropped.
template <class Write>
bool FlipStream(std::FILE* in, const std::string& name, std::string& error, Write&& write,
                const ProgressCallback& progress, int64_t progressBase, int64_t progressTotal) {
    std::vector<uint8_t> buffer;
    uint8_t carry[4];
    size_t carried = 0;
    int64_t done = 0;
    return ForEachChunk(in, name, buffer, error, [&](uint8_t* data, size_t n) {
        done += int64_t(n);
        size_t start = 0;
        if (carried > 0) {
            while (carried < 4 && start < n)
                carry[carried++] = data[start++];
            if (carried < 4) return true;
            FlipWords(carry, 4, carry);
            carried = 0;
            if (!write(carry, 4)) return false;
        }
        size_t flipped = FlipWords(data + start, n - start, data + start);
        std::memcpy(carry, data + start + flipped, n - start - flipped);
        carried = n - start - flipped;
        if (progress) progress(progressBase + done, progressTotal);
        return write(data + start, flipped);
    });
}

}  // namespace

bool IsDlzPath(const std::string& path) {
    return LowerAscii(path.substr(FileNameStart(path))).find(".dlz") != std::string::npos;
}

std::string DlzTargetPath(const std::string& dlzPath) {
    size_t start = FileNameStart(dlzPath);
    std::string name = LowerAscii(dlzPath.substr(start));
    for (size_t at = name.find(".dlz"); at != std::string::npos; at = name.find(".dlz", at + 3))
        name.erase(at + 3, 1);
    return dlzPath.substr(0, start) + name;
}

size_t FlipWords(const uint8_t* in, size_t size, uint8_t* out) {
    size_t words = size / 4;
    for (size_t w = 0; w < words; ++w) {
        uint32_t v;
        std::memcpy(&v, in + 4 * w, 4);
        v = __builtin_bswap32(v);
        std::memcpy(out + 4 * w, &v, 4);
    }
    return words * 4;
}

void RunLengthExpander::Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < size) {
        if (m_state == State::NeedCount) {
            m_count = data[i++];
            m_state = State::NeedValue;
            continue;
        }
        if (m_state == State::NeedValue) {
            out.insert(out.end(), m_count, data[i++]);
            m_state = State::Literal;
            continue;
        }
        const void* escape = std::memchr(data + i, 0xFF, size - i);
        size_t literal =
            escape ? size_t(static_cast<const uint8_t*>(escape) - (data + i)) : size - i;
        out.insert(out.end(), data + i, data + i + literal);
        i += literal;
        if (!escape) break;
        ++i;
        if (i + 2 <= size) {  // the common case: the whole escape is at hand
            out.insert(out.end(), data[i], data[i + 1]);
            i += 2;
        } else {
            m_state = State::NeedCount;
        }
    }
}

uint64_t RunLengthExpander::Measure(const uint8_t* data, size_t size) const {
    uint64_t total = 0;
    size_t i = 0;
    State state = m_state;
    uint8_t count = m_count;
    while (i < size) {
        if (state == State::NeedCount) {
            count = data[i++];
            state = State::NeedValue;
            continue;
        }
        if (state == State::NeedValue) {
            total += count;
            ++i;
            state = State::Literal;
            continue;
        }
        const void* escape = std::memchr(data + i, 0xFF, size - i);
        size_t literal =
            escape ? size_t(static_cast<const uint8_t*>(escape) - (data + i)) : size - i;
        total += literal;
        i += literal;
        if (!escape) break;
        ++i;
        state = State::NeedCount;
    }
    return total;
}

bool DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string* error) {
    out.clear();
    try {
        std::vector<uint8_t> flipped(size / 4 * 4);
        FlipWords(data, size, flipped.data());
        RunLengthExpander expander;
        out.reserve(size_t(expander.Measure(flipped.data(), flipped.size())));
        expander.Feed(flipped.data(), flipped.size(), out);
        out.resize(FlipWords(out.data(), out.size(), out.data()));
        return true;
    } catch (const std::exception&) {  // std::bad_alloc, std::length_error
        out = {};
        if (error) *error = "the decoded log does not fit in memory";
        return false;
    }
}

std::vector<uint8_t> DecodeDlz(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    DecodeDlz(data, size, out);
    return out;
}

namespace {

bool ExpandFile(const std::string& dlzPath, std::string* dlPath, std::string* error,
                const ProgressCallback& progress) {
    if (!IsDlzPath(dlzPath)) {
        // The target would be the source itself (or a lower-cased twin of it).
        if (error) *error = "'" + dlzPath + "' is not a .dlz file";
        return false;
    }
    const std::string target = DlzTargetPath(dlzPath);
    const std::string flipPath = dlzPath + ".flip";
    const std::string decompPath = dlzPath + ".flipdecomp";
    std::string problem;
    auto fail = [&](bool removeFlip, bool removeDecomp) {
        if (removeFlip) std::remove(flipPath.c_str());
        if (removeDecomp) std::remove(decompPath.c_str());
        if (error) *error = problem;
        return false;
    };

    std::error_code ec;
    const int64_t sourceSize = int64_t(std::filesystem::file_size(dlzPath, ec));
    const int64_t total = ec ? 0 : 3 * sourceSize;

    // 1. Word flip of the .dlz into the first scratch file.
    {
        FilePtr in = OpenForReading(dlzPath, problem);
        if (!in) return fail(false, false);
        FilePtr out(std::fopen(flipPath.c_str(), "wb"));
        if (!out) {
            problem = Describe("Cannot create", flipPath);
            return fail(false, false);
        }
        bool ok = FlipStream(
            in.get(), dlzPath, problem,
            [&](const uint8_t* p, size_t n) {
                if (std::fwrite(p, 1, n, out.get()) == n) return true;
                problem = Describe("Cannot write", flipPath);
                return false;
            },
            progress, 0, total);
        if (ok && std::fclose(out.release()) != 0) {
            problem = Describe("Cannot write", flipPath);
            ok = false;
        }
        if (!ok) return fail(true, false);
    }

    // 2. Run-length expansion into the second scratch file.
    uint64_t decodedSize = 0;
    {
        FilePtr in(std::fopen(flipPath.c_str(), "rb"));
        if (!in) {
            problem = Describe("Cannot open", flipPath);
            return fail(true, false);
        }
        FilePtr out(std::fopen(decompPath.c_str(), "wb"));
        if (!out) {
            problem = Describe("Cannot create", decompPath);
            return fail(true, false);
        }
        RunLengthExpander expander;
        std::vector<uint8_t> buffer, expanded;
        int64_t done = 0;
        bool ok = ForEachChunk(in.get(), flipPath, buffer, problem, [&](uint8_t* p, size_t n) {
            expanded.clear();
            expander.Feed(p, n, expanded);
            decodedSize += expanded.size();
            done += int64_t(n);
            if (progress) progress(sourceSize + done, total);
            if (std::fwrite(expanded.data(), 1, expanded.size(), out.get()) == expanded.size())
                return true;
            problem = Describe("Cannot write", decompPath);
            return false;
        });
        if (ok && std::fclose(out.release()) != 0) {
            problem = Describe("Cannot write", decompPath);
            ok = false;
        }
        if (!ok) return fail(true, true);
    }
    if (decodedSize < kMinDecodedSize) {
        problem = "'" + dlzPath + "' does not hold a log (it decodes to " +
                  std::to_string(decodedSize) + " bytes)";
        return fail(true, true);
    }

    // 3. Word flip of the expansion into the target, replacing it only when all went well.
    {
        FilePtr in(std::fopen(decompPath.c_str(), "rb"));
        if (!in) {
            problem = Describe("Cannot open", decompPath);
            return fail(true, true);
        }
        AtomicFile out(target);
        if (!out.Open()) {
            problem = out.Error();
            return fail(true, true);
        }
        ProgressCallback scaled;
        if (progress)
            scaled = [&](int64_t done, int64_t) {
                progress(2 * sourceSize +
                             int64_t(double(done) / double(decodedSize) * double(sourceSize)),
                         total);
            };
        bool ok = FlipStream(
            in.get(), decompPath, problem,
            [&](const uint8_t* p, size_t n) { return out.Write(p, n); }, scaled, 0, 0);
        if (!ok || !out.Commit()) {
            if (problem.empty()) problem = out.Error();
            return fail(true, true);
        }
    }
    std::remove(flipPath.c_str());
    std::remove(decompPath.c_str());
    if (dlPath) *dlPath = target;
    return true;
}

}  // namespace

bool ExpandDlzFile(const std::string& dlzPath, std::string* dlPath, std::string* error,
                   const ProgressCallback& progress) {
    try {
        return ExpandFile(dlzPath, dlPath, error, progress);
    } catch (const std::exception&) {  // memory for a piece of the expansion ran out
        std::remove((dlzPath + ".flip").c_str());
        std::remove((dlzPath + ".flipdecomp").c_str());
        if (error) *error = "There is not enough memory to expand '" + dlzPath + "'";
        return false;
    }
}

}  // namespace quillon
