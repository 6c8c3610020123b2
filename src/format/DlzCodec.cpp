#include "format/DlzCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/AtomicFile.h"
#include "format/DataLogFrame.h"
#include "format/DataLogStart.h"
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
    // Only the extension changes: the rest of the name keeps its case.
    size_t start = FileNameStart(dlzPath);
    std::string name = dlzPath.substr(start);
    for (size_t at = LowerAscii(name).find(".dlz"); at != std::string::npos;
         at = LowerAscii(name).find(".dlz", at + 3))
        name.replace(at, 4, ".dl");
    return dlzPath.substr(0, start) + name;
}

bool IsDlzStart(const uint8_t* data, size_t size) {
    // A few bytes at a time: an escape may produce nothing, or 255 copies of a byte.
    constexpr size_t kStep = 64;
    RunLengthExpander expander;
    std::vector<uint8_t> decoded;
    uint8_t piece[kStep];
    for (size_t at = 0; at + 4 <= size && decoded.size() < 12; at += kStep) {
        const size_t n = FlipWords(data + at, std::min(kStep, size - at), piece);
        expander.Feed(piece, n, decoded);
    }
    if (decoded.size() < 12) return false;
    FlipWords(decoded.data(), 12, decoded.data());
    return CheckDataLogStart(decoded.data(), 12, kFramesOffset, {}).ok();
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

Result DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                 uint64_t memoryLimit) {
    out.clear();
    // The size is known before anything is allocated: a small crafted file can ask for 85 times
    // its size, which is refused here instead of exhausting memory.
    const uint64_t decoded = MeasureDecoded(data, size);
    if (decoded > memoryLimit || decoded > uint64_t(SIZE_MAX / 2))
        return Result::Failure(ErrorKind::OutOfMemory, Cause::DecodedTooLarge)
            .Figures(decoded, memoryLimit);
    try {
        out.reserve(size_t(decoded) + kPiece);
        RunLengthExpander expander;
        uint8_t piece[kPiece];
        for (size_t at = 0; at + 4 <= size; at += kPiece) {
            size_t n = FlipWords(data + at, std::min(kPiece, size - at), piece);
            expander.Feed(piece, n, out);
        }
        out.resize(FlipWords(out.data(), out.size(), out.data()));
        return {};
    } catch (const std::exception&) {  // std::bad_alloc, std::length_error
        out = {};
        return Result::Failure(ErrorKind::OutOfMemory, Cause::DecodedNoMemory);
    }
}

Result DecodeDlz(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    return DecodeDlz(data, size, out, DecodeMemoryLimit());
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

Result ReadFailure(const std::string& path) {
    return Result::Failure(ErrorKind::CannotOpen, Cause::ReadFailed, path, fs::LastErrorText());
}

/// Runs the whole of the open .dlz through a decoder into `sink`; false on a read error (with
/// the failure) or when the sink stops.
template <class Sink>
bool DecodeFile(fs::Handle in, const std::string& name, Result& failure, Sink&& sink) {
    StreamDecoder decoder;
    std::vector<uint8_t> buffer(kPiece * 16);
    for (;;) {
        size_t got = 0;
        if (!fs::ReadFully(in, buffer.data(), buffer.size(), got)) {
            failure = ReadFailure(name);
            return false;
        }
        // Fed a piece at a time: a piece expands to at most 85 times its size.
        for (size_t at = 0; at < got; at += kPiece)
            if (!decoder.Feed(buffer.data() + at, std::min(kPiece, got - at), sink)) return false;
        if (got < buffer.size()) return true;
    }
}

// Bytes measured per read of MeasureDlzFile.
constexpr size_t kMeasureRead = kPiece * 16;

}  // namespace

Result MeasureDlzFile(const FileHandle& in, const std::string& path, uint64_t& decoded) {
    decoded = 0;
    if (!fs::Rewind(in.Get())) return ReadFailure(path);
    RunLengthExpander measure;
    std::vector<uint8_t> buffer(kMeasureRead);
    size_t carried = 0;
    for (;;) {
        size_t got = 0;
        if (!fs::ReadFully(in.Get(), buffer.data() + carried, buffer.size() - carried, got))
            return ReadFailure(path);
        got += carried;
        const size_t words = FlipWords(buffer.data(), got, buffer.data());
        decoded += measure.Skip(buffer.data(), words);
        carried = got - words;
        std::memmove(buffer.data(), buffer.data() + words, carried);
        if (got < buffer.size()) break;
    }
    decoded = decoded / 4 * 4;
    return {};
}

Result DecodeDlzFile(const FileHandle& in, const std::string& path, const DecodedSink& sink) {
    if (!fs::Rewind(in.Get())) return ReadFailure(path);
    Result failure;
    bool stopped = false;
    DecodeFile(in.Get(), path, failure, [&](const uint8_t* p, size_t n) {
        stopped = !sink(p, n);
        return !stopped;
    });
    if (!failure.ok()) return failure;
    if (stopped) return Result::Failure(ErrorKind::Cancelled, Cause::None);
    return {};
}

namespace {

/// Whether two regular files hold the same bytes.
bool SameContent(const std::string& a, const std::string& b) {
    const fs::FileHandle fa = fs::OpenRegularForReading(a);
    const fs::FileHandle fb = fs::OpenRegularForReading(b);
    bool same = fa && fb && fs::SizeOf(fa.Get()) == fs::SizeOf(fb.Get());
    std::vector<uint8_t> pa(kPiece * 16), pb(kPiece * 16);
    while (same) {
        size_t ga = 0, gb = 0;
        same = fs::ReadFully(fa.Get(), pa.data(), pa.size(), ga) &&
               fs::ReadFully(fb.Get(), pb.data(), pb.size(), gb) && ga == gb &&
               std::memcmp(pa.data(), pb.data(), ga) == 0;
        if (ga < pa.size()) break;
    }
    return same;
}

/// The names a .dlz may be decoded to, in order: run.dl, then run-2.dl, run-3.dl, ... beside it.
std::string CandidateName(const std::string& target, int n) {
    if (n == 1) return target;
    const size_t dot = target.size() - 3;  // DlzTargetPath always ends in ".dl"
    return target.substr(0, dot) + "-" + std::to_string(n) + target.substr(dot);
}

/// The name a compressed log expands to: DlzTargetPath for a .dlz name, else the name with
/// ".dl" appended.
std::string ExpansionTarget(const std::string& dlzPath) {
    return IsDlzPath(dlzPath) ? DlzTargetPath(dlzPath) : dlzPath + ".dl";
}

Result ExpandFile(fs::Handle in, const std::string& dlzPath, std::string* dlPath,
                  const ProgressCallback& progress) {
    auto fail = [&](ErrorKind kind, Cause cause) { return Result::Failure(kind, cause, dlzPath); };
    const std::string target = ExpansionTarget(dlzPath);
    if (!fs::Rewind(in)) return ReadFailure(dlzPath);
    // A .dlz written while it is expanded would give a log of old and new pieces.
    const auto identity = fs::IdentityOf(in);
    auto unchanged = [&] { return identity && fs::IdentityOf(in) == identity; };
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
                return ReadFailure(dlzPath);
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
        return fail(ErrorKind::Unreadable, Cause::DecodesTooSmall).Figures(decoded);
    const std::string folder = fs::FolderOf(target);
    if (auto space = fs::FreeDiskSpace(folder); space && *space < decoded) {
        Result full = fail(ErrorKind::CannotWrite, Cause::NoDiskSpace).Figures(decoded, *space);
        full.other = folder;
        return full;
    }

    Result problem;
    auto rewind = [&] { return fs::Rewind(in); };
    // Checks the log's magic, version and length as soon as its first bytes are decoded.
    auto checkStart = [&](const uint8_t* p, size_t n, uint8_t* start, size_t& have) {
        if (have >= 12) return true;
        const size_t take = std::min(n, 12 - have);
        std::memcpy(start + have, p, take);
        have += take;
        if (have < 12) return true;
        const Result check = CheckDataLogStart(start, have, decoded, dlzPath);
        if (!check.ok()) {
            problem = fail(ErrorKind::Unreadable, Cause::DecodesToNoLog);
            problem.inner = check.cause;
            return false;
        }
        return true;
    };

    // 2. An existing .dl with the same bytes is used as it is.
    const std::string cacheFolder = fs::UserCacheFolder();
    const std::string cacheTarget =
        cacheFolder.empty() ? std::string() : cacheFolder + "/" + fs::FileNameOf(target);
    for (int n = 1; n <= 2 * kMaxNames; ++n) {
        if (n == kMaxNames + 1 && cacheTarget.empty()) break;
        const std::string name =
            n <= kMaxNames ? CandidateName(target, n) : CandidateName(cacheTarget, n - kMaxNames);
        if (fs::KindOf(name) != fs::PathKind::Regular) {
            if (n > kMaxNames) break;
            n = kMaxNames;  // then the names in the cache folder
            continue;
        }
        if (fs::KindOf(name) != fs::PathKind::Regular) break;
        const fs::FileHandle existing = fs::OpenRegularForReading(name);
        if (!existing) continue;
        bool same = fs::SizeOf(existing.Get()) == decoded && rewind();
        std::vector<uint8_t> theirs;
        uint8_t start[12];
        size_t have = 0;
        same = same && DecodeFile(in, dlzPath, problem, [&](const uint8_t* p, size_t k) {
                   if (!checkStart(p, k, start, have)) return false;
                   theirs.resize(k);
                   size_t got = 0;
                   return fs::ReadFully(existing.Get(), theirs.data(), k, got) && got == k &&
                          std::memcmp(theirs.data(), p, k) == 0;
               });
        if (!problem.ok()) return problem;
        if (same && !unchanged()) return fail(ErrorKind::Unreadable, Cause::ChangedWhileExpanded);
        if (same) {
            if (progress) progress(total, total);
            if (dlPath) *dlPath = name;
            return {};
        }
    }

    // 3. Decoded into a temporary of its own, checked as a log, then given the first free name:
    // beside the .dlz, or in the user's cache folder where its own folder takes no new files
    // (read-only media). A name is never followed through a symlink: it is a new file's.
    if (!rewind()) return ReadFailure(dlzPath);
    std::string base = target;
    std::optional<AtomicFile> out;
    out.emplace(base, true);
    if (!out->Open()) {
        const int error = errno;
        if (out->Failure().cause != Cause::CreateFailed ||
            (error != EROFS && error != EACCES && error != EPERM) || cacheTarget.empty())
            return out->Failure();
        base = cacheTarget;
        std::error_code made;
        std::filesystem::create_directories(fs::PathOf(cacheFolder), made);
        out.emplace(base, true);
        if (!out->Open()) return out->Failure();
    }
    uint8_t start[12];
    size_t have = 0;
    uint64_t written = 0;
    bool ok = DecodeFile(in, dlzPath, problem, [&](const uint8_t* p, size_t k) {
        if (!checkStart(p, k, start, have)) return false;
        if (!out->Write(p, k)) return false;
        written += k;
        if (progress)
            progress(sourceSize + int64_t(double(written) / double(decoded) * 2 * sourceSize),
                     total);
        return true;
    });
    if (ok && (written != decoded || !unchanged())) {
        problem = fail(ErrorKind::Unreadable, Cause::ChangedWhileExpanded);
        ok = false;
    }
    if (!ok || !out->Finish()) return problem.ok() ? out->Failure() : problem;
    for (int n = 1; n <= kMaxNames; ++n) {
        const std::string name = CandidateName(base, n);
        bool existed = false;
        if (out->Publish(name, false, &existed)) {
            if (progress) progress(total, total);
            if (dlPath) *dlPath = name;
            return {};
        }
        if (!existed) return out->Failure();
        // Another run may have just decoded the same log under this name.
        if (fs::KindOf(name) == fs::PathKind::Regular && SameContent(name, out->TempPath())) {
            out->Discard();
            if (dlPath) *dlPath = name;
            return {};
        }
    }
    return fail(ErrorKind::CannotWrite, Cause::NoFreeName);
}

}  // namespace

Result ExpandDlzFile(const FileHandle& in, const std::string& dlzPath, std::string* dlPath,
                     const ProgressCallback& progress) {
    try {
        return ExpandFile(in.Get(), dlzPath, dlPath, progress);
    } catch (const std::exception&) {  // memory for a piece of the expansion ran out
        return Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryToExpand, dlzPath);
    }
}

Result ExpandDlzFile(const std::string& dlzPath, std::string* dlPath,
                     const ProgressCallback& progress) {
    if (!IsDlzPath(dlzPath)) return Result::Failure(ErrorKind::CannotOpen, Cause::NotDlz, dlzPath);
    Result failure;
    const fs::FileHandle in = fs::OpenRegularForReading(dlzPath, &failure);
    if (!in) return failure;
    // A log that only carries the name of a compressed one is not decoded into garbage.
    uint8_t start[12];
    size_t got = 0;
    if (!fs::ReadFully(in.Get(), start, sizeof start, got)) return ReadFailure(dlzPath);
    if (got == sizeof start && CheckDataLogStart(start, got, kFramesOffset, dlzPath).ok())
        return Result::Failure(ErrorKind::CannotOpen, Cause::NotDlz, dlzPath);
    return ExpandDlzFile(in, dlzPath, dlPath, progress);
}

}  // namespace quillon
