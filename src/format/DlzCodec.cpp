#include "format/DlzCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "platform/AtomicFile.h"
#include "format/DataLogFrame.h"
#include "format/DataLogStart.h"
#include "platform/UserTexts.h"
#include "platform/FileSystem.h"

namespace quillon {

namespace {

// Pieces of .dlz data handled at a time: a piece expands to at most 85 times its size.
constexpr size_t kPiece = 64 * 1024;
// How many names beside a .dlz are tried before giving up: run.dl, run-2.dl ... run-99.dl.
constexpr int kMaxNames = 99;

size_t FileNameStart(const std::string& path) {
    return path.size() - fs::FileNameOf(path).size();
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
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
    RunLengthExpander copy = *this;
    return copy.Skip(data, size);
}

uint64_t RunLengthExpander::Skip(const uint8_t* data, size_t size) {
    uint64_t total = 0;
    size_t i = 0;
    while (i < size) {
        if (m_state == State::NeedCount) {
            m_count = data[i++];
            m_state = State::NeedValue;
            continue;
        }
        if (m_state == State::NeedValue) {
            total += m_count;
            ++i;
            m_state = State::Literal;
            continue;
        }
        const void* escape = std::memchr(data + i, 0xFF, size - i);
        size_t literal =
            escape ? size_t(static_cast<const uint8_t*>(escape) - (data + i)) : size - i;
        total += literal;
        i += literal;
        if (!escape) break;
        ++i;
        m_state = State::NeedCount;
    }
    return total;
}

namespace {

/// Size of the decoded data of `size` .dlz bytes, without producing it.
uint64_t MeasureDecoded(const uint8_t* data, size_t size) {
    RunLengthExpander expander;
    uint64_t total = 0;
    uint8_t piece[kPiece];
    for (size_t at = 0; at + 4 <= size; at += kPiece) {
        size_t n = FlipWords(data + at, std::min(kPiece, size - at), piece);
        total += expander.Skip(piece, n);
    }
    return total / 4 * 4;
}

}  // namespace

bool DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string* error,
               uint64_t memoryLimit) {
    out.clear();
    // The size is known before anything is allocated: a small crafted file can ask for 85 times
    // its size, which is refused here instead of exhausting memory.
    const uint64_t decoded = MeasureDecoded(data, size);
    if (decoded > memoryLimit || decoded > uint64_t(SIZE_MAX / 2)) {
        if (error)
            *error = "the decoded log (" + std::to_string(decoded >> 20) +
                     " MB) does not fit in memory (" + std::to_string(memoryLimit >> 20) +
                     " MB can be used)";
        return false;
    }
    try {
        out.reserve(size_t(decoded) + kPiece);
        RunLengthExpander expander;
        uint8_t piece[kPiece];
        for (size_t at = 0; at + 4 <= size; at += kPiece) {
            size_t n = FlipWords(data + at, std::min(kPiece, size - at), piece);
            expander.Feed(piece, n, out);
        }
        out.resize(FlipWords(out.data(), out.size(), out.data()));
        return true;
    } catch (const std::exception&) {  // std::bad_alloc, std::length_error
        out = {};
        if (error) *error = "the decoded log does not fit in memory";
        return false;
    }
}

bool DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string* error) {
    return DecodeDlz(data, size, out, error, DecodeMemoryLimit());
}

uint64_t DecodeMemoryLimit() {
    // The decoded bytes and the columns read from them are both in memory for a moment.
    return fs::AvailableMemory() / 2;
}

std::vector<uint8_t> DecodeDlz(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    DecodeDlz(data, size, out);
    return out;
}

namespace {

/// Decodes a .dlz read piece by piece: word flip, run-length expansion, word flip, handing the
/// decoded bytes to a sink in pieces of bounded size.
class StreamDecoder {
public:
    template <class Sink>
    bool Feed(const uint8_t* data, size_t n, Sink&& sink) {
        size_t start = 0;
        if (m_inCarried > 0) {
            while (m_inCarried < 4 && start < n)
                m_inCarry[m_inCarried++] = data[start++];
            if (m_inCarried < 4) return true;
            FlipWords(m_inCarry, 4, m_inCarry);
            m_inCarried = 0;
            if (!Expand(m_inCarry, 4, sink)) return false;
        }
        const size_t words = (n - start) / 4 * 4;
        m_flipped.resize(words);
        FlipWords(data + start, words, m_flipped.data());
        std::memcpy(m_inCarry, data + start + words, n - start - words);
        m_inCarried = n - start - words;
        return Expand(m_flipped.data(), words, sink);
    }

private:
    template <class Sink>
    bool Expand(const uint8_t* data, size_t n, Sink&& sink) {
        m_expanded.assign(m_outCarry, m_outCarry + m_outCarried);
        m_expander.Feed(data, n, m_expanded);
        const size_t words = FlipWords(m_expanded.data(), m_expanded.size(), m_expanded.data());
        m_outCarried = m_expanded.size() - words;
        std::memcpy(m_outCarry, m_expanded.data() + words, m_outCarried);
        return words == 0 || sink(m_expanded.data(), words);
    }

    RunLengthExpander m_expander;
    uint8_t m_inCarry[4] = {}, m_outCarry[4] = {};
    size_t m_inCarried = 0, m_outCarried = 0;
    std::vector<uint8_t> m_flipped, m_expanded;
};

/// Runs the whole of the open .dlz through a decoder into `sink`; false on a read error (with
/// a message) or when the sink stops.
template <class Sink>
bool DecodeFile(fs::Handle in, const std::string& name, std::string& error, Sink&& sink) {
    StreamDecoder decoder;
    std::vector<uint8_t> buffer(kPiece * 16);
    for (;;) {
        size_t got = 0;
        if (!fs::ReadFully(in, buffer.data(), buffer.size(), got)) {
            error = "Cannot read '" + name + "': " + fs::LastErrorText();
            return false;
        }
        if (got > 0 && !decoder.Feed(buffer.data(), got, sink)) return false;
        if (got < buffer.size()) return true;
    }
}

/// Whether two regular files hold the same bytes.
bool SameContent(const std::string& a, const std::string& b) {
    std::string ignored;
    fs::Handle fa = fs::OpenRegularForReading(a, ignored);
    fs::Handle fb = fs::OpenRegularForReading(b, ignored);
    bool same = fa != fs::kNoHandle && fb != fs::kNoHandle && fs::SizeOf(fa) == fs::SizeOf(fb);
    std::vector<uint8_t> pa(kPiece * 16), pb(kPiece * 16);
    while (same) {
        size_t ga = 0, gb = 0;
        same = fs::ReadFully(fa, pa.data(), pa.size(), ga) &&
               fs::ReadFully(fb, pb.data(), pb.size(), gb) && ga == gb &&
               std::memcmp(pa.data(), pb.data(), ga) == 0;
        if (ga < pa.size()) break;
    }
    fs::Close(fa);
    fs::Close(fb);
    return same;
}

/// The names a .dlz may be decoded to, in order: run.dl, then run-2.dl, run-3.dl, ... beside it.
std::string CandidateName(const std::string& target, int n) {
    if (n == 1) return target;
    const size_t dot = target.size() - 3;  // DlzTargetPath always ends in ".dl"
    return target.substr(0, dot) + "-" + std::to_string(n) + target.substr(dot);
}

bool ExpandFile(const std::string& dlzPath, std::string* dlPath, std::string* error,
                const ProgressCallback& progress) {
    std::string problem;
    auto fail = [&](const std::string& message) {
        if (error) *error = message;
        return false;
    };
    if (!IsDlzPath(dlzPath)) return fail("'" + dlzPath + "' is not a .dlz file");
    const std::string target = DlzTargetPath(dlzPath);

    fs::Handle in = fs::OpenRegularForReading(dlzPath, problem);
    if (in == fs::kNoHandle) return fail(problem);
    struct Closer {
        fs::Handle h;
        ~Closer() { fs::Close(h); }
    } closer{in};
    const int64_t sourceSize = int64_t(fs::SizeOf(in).value_or(0));
    const int64_t total = 3 * sourceSize;

    // 1. The decoded size, measured without producing the bytes, and the room for them.
    uint64_t decoded = 0;
    {
        RunLengthExpander measure;
        std::vector<uint8_t> buffer(kPiece * 16);
        uint8_t carry[4];
        size_t carried = 0;
        int64_t done = 0;
        for (;;) {
            size_t got = 0;
            if (!fs::ReadFully(in, buffer.data() + carried, buffer.size() - carried, got))
                return fail("Cannot read '" + dlzPath + "': " + fs::LastErrorText());
            got += carried;
            const size_t words = FlipWords(buffer.data(), got, buffer.data());
            decoded += measure.Skip(buffer.data(), words);
            carried = got - words;
            std::memcpy(carry, buffer.data() + words, carried);
            std::memcpy(buffer.data(), carry, carried);
            done += int64_t(got);
            if (progress) progress(std::min(done, sourceSize), total);
            if (got < buffer.size()) break;
        }
        decoded = decoded / 4 * 4;
    }
    if (decoded < kFramesOffset)
        return fail("'" + dlzPath + "' does not hold a log (it decodes to " +
                    std::to_string(decoded) + " bytes)");
    const std::string folder = fs::FolderOf(target);
    if (auto space = fs::FreeDiskSpace(folder); space && *space < decoded)
        return fail("There is not enough free space in '" + folder + "' to expand '" + dlzPath +
                    "' (" + std::to_string(decoded >> 20) + " MB needed, " +
                    std::to_string(*space >> 20) + " MB free)");

    auto rewind = [&] { return fs::Rewind(in); };
    // Checks the log's magic, version and length as soon as its first bytes are decoded.
    auto checkStart = [&](const uint8_t* p, size_t n, uint8_t* start, size_t& have) {
        if (have >= 12) return true;
        const size_t take = std::min(n, 12 - have);
        std::memcpy(start + have, p, take);
        have += take;
        if (have < 12) return true;
        Result check = CheckDataLogStart(start, have, decoded, dlzPath);
        if (!check.ok()) {
            const std::string reason = check.kind == ErrorKind::WrongMagic ? kMagicMismatchText
                                       : check.kind == ErrorKind::WrongVersion
                                           ? kVersionUnrecognizedCaption
                                           : check.Explanation();
            problem = "'" + dlzPath + "' does not decode to a version 0.4 log (" + reason + ")";
            return false;
        }
        return true;
    };

    // 2. An existing .dl with the same bytes is used as it is.
    for (int n = 1; n <= kMaxNames; ++n) {
        const std::string name = CandidateName(target, n);
        if (fs::KindOf(name) != fs::PathKind::Regular) break;
        std::string ignored;
        fs::Handle existing = fs::OpenRegularForReading(name, ignored);
        if (existing == fs::kNoHandle) continue;
        bool same = fs::SizeOf(existing) == decoded && rewind();
        std::vector<uint8_t> theirs;
        uint8_t start[12];
        size_t have = 0;
        same = same && DecodeFile(in, dlzPath, problem, [&](const uint8_t* p, size_t k) {
                   if (!checkStart(p, k, start, have)) return false;
                   theirs.resize(k);
                   size_t got = 0;
                   return fs::ReadFully(existing, theirs.data(), k, got) && got == k &&
                          std::memcmp(theirs.data(), p, k) == 0;
               });
        fs::Close(existing);
        if (!problem.empty()) return fail(problem);
        if (same) {
            if (progress) progress(total, total);
            if (dlPath) *dlPath = name;
            return true;
        }
    }

    // 3. Decoded into a temporary of its own, checked as a log, then given the first free name.
    if (!rewind()) return fail("Cannot read '" + dlzPath + "': " + fs::LastErrorText());
    AtomicFile out(target);
    if (!out.Open()) return fail(out.Error());
    uint8_t start[12];
    size_t have = 0;
    uint64_t written = 0;
    bool ok = DecodeFile(in, dlzPath, problem, [&](const uint8_t* p, size_t k) {
        if (!checkStart(p, k, start, have)) return false;
        if (!out.Write(p, k)) return false;
        written += k;
        if (progress)
            progress(sourceSize + int64_t(double(written) / double(decoded) * 2 * sourceSize),
                     total);
        return true;
    });
    if (ok && written != decoded) {
        problem = "'" + dlzPath + "' changed while it was expanded";
        ok = false;
    }
    if (!ok || !out.Finish()) {
        if (problem.empty()) problem = out.Error();
        return fail(problem);
    }
    for (int n = 1; n <= kMaxNames; ++n) {
        const std::string name = CandidateName(out.Target(), n);
        bool existed = false;
        if (out.Publish(name, false, &existed)) {
            if (progress) progress(total, total);
            if (dlPath) *dlPath = name;
            return true;
        }
        if (!existed) return fail(out.Error());
        // Another run may have just decoded the same log under this name.
        if (fs::KindOf(name) == fs::PathKind::Regular && SameContent(name, out.TempPath())) {
            out.Discard();
            if (dlPath) *dlPath = name;
            return true;
        }
    }
    return fail("There is no free name beside '" + dlzPath + "' to expand it to");
}

}  // namespace

bool ExpandDlzFile(const std::string& dlzPath, std::string* dlPath, std::string* error,
                   const ProgressCallback& progress) {
    try {
        return ExpandFile(dlzPath, dlPath, error, progress);
    } catch (const std::exception&) {  // memory for a piece of the expansion ran out
        if (error) *error = "There is not enough memory to expand '" + dlzPath + "'";
        return false;
    }
}

}  // namespace quillon
