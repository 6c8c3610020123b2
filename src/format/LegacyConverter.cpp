#include "format/LegacyConverter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "platform/AtomicFile.h"
#include "format/DataLogFrame.h"
#include "platform/FileSystem.h"
#include "format/LegacyMapping.h"

namespace quillon {

namespace {

// Frames converted per block: large enough for efficient I/O, small enough to stay in cache.
constexpr size_t kBlockFrames = 256;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

/// What the first bytes and the length of a file say: the legacy layout (1 to 3), 4 when it is
/// V4 already, or 0 with the upgrader line and the reason why it cannot be converted.
struct LegacyStart {
    int layout = 0;
    const char* line = nullptr;
    Result why;
};

LegacyStart CheckLegacyStart(const uint8_t* start, size_t got, uint64_t length) {
    auto no = [](const char* line, Result why) { return LegacyStart{0, line, std::move(why)}; };
    auto tooShort = [&](uint64_t least) {
        return no(kLegacyTooShort,
                  Result::Failure(ErrorKind::Unreadable, Cause::TooShort).Figures(length, least));
    };
    if (got < 4) return tooShort(12);
    if (LoadU32(start) != DataLogHeader::kMagic)
        return no(kLegacyWrongMagic, Result::Failure(ErrorKind::WrongMagic, Cause::BadMagic));
    if (got < 12) return tooShort(12);
    const uint32_t major = LoadU32(start + 4);
    const uint32_t minor = LoadU32(start + 8);
    if (major != 0 || minor < 1 || minor > 4)
        return no(
            kLegacyUnknownVersion,
            Result::Failure(ErrorKind::WrongVersion, Cause::UnknownVersion).Figures(major, minor));
    if (minor == 4) return {4, nullptr, {}};
    // A file too short for its blocks has no frames to speak of; converting it would invent
    // a header and configuration out of nothing.
    const uint64_t least = LegacyHeaderSize(int(minor)) + kLegacyConfigSize;
    if (length < least) return tooShort(least);
    return {int(minor), nullptr, {}};
}

const char* VersionLine(int layout) {
    static const char* const kVersionLines[] = {"-VERSION:V1", "-VERSION:V2", "-VERSION:V3"};
    return kVersionLines[layout - 1];
}

}  // namespace

std::string LegacyConvertedPath(const std::string& path) {
    const size_t nameStart = path.size() - fs::FileNameOf(path).size();
    std::string name = path.substr(nameStart);
    std::string converted = name;
    ReplaceAll(converted, ".dl", ".V4.dl");
    ReplaceAll(converted, ".DL", ".V4.dl");
    if (converted == name) converted += ".V4.dl";
    return path.substr(0, nameStart) + converted;
}

bool ConvertLegacyLog(const std::string& path, const ConversionReport& report,
                      const ProgressCallback& progress, std::string* newPath,
                      const ReplaceQuestion& mayReplace, Result* failure) {
    auto say = [&](const char* line) {
        if (report) report(line);
    };
    // Each failure is one upgrader line and, for the caller, the reason.
    auto fail = [&](const char* line, Result why) {
        say(line);
        if (failure) {
            if (why.path.empty()) why.path = path;
            *failure = std::move(why);
        }
        return false;
    };
    auto readFailed = [&] {
        return fail(kLegacyReadFailed, Result::Failure(ErrorKind::CannotOpen, Cause::ReadFailed,
                                                       path, fs::LastErrorText()));
    };
    if (failure) *failure = {};
    // Only a regular file is opened: a FIFO would block the open, a device is no log.
    Result opened;
    const fs::FileHandle in = fs::OpenRegularForReading(path, &opened);
    if (!in) return fail(kLegacyOpenFailed, opened);
    // The file is converted only when it is the same at the end of the conversion as when its
    // first bytes were read: frames of a file written meanwhile would be a mixture.
    const auto identity = fs::IdentityOf(in.Get());
    auto changed = [&] {
        return fail(kLegacyReadFailed,
                    Result::Failure(ErrorKind::Unreadable, Cause::ChangedWhileRead, path));
    };
    uint8_t start[24] = {};
    size_t got = 0;
    if (!fs::ReadFully(in.Get(), start, sizeof start, got)) return readFailed();
    const uint64_t length = identity ? identity->size : fs::SizeOf(in.Get()).value_or(0);
    const LegacyStart check = CheckLegacyStart(start, got, length);
    if (check.layout == 4) {
        say(kLegacyAlreadyV4);
        return true;
    }
    if (check.layout == 0) return fail(check.line, check.why);
    const int layout = check.layout;
    const size_t headerSize = LegacyHeaderSize(layout);
    const size_t frameCount = size_t((length - headerSize - kLegacyConfigSize) / kLegacyFrameSize);

    auto noMemory = [&] {
        return fail(kLegacyNoMemory,
                    Result::Failure(ErrorKind::OutOfMemory, Cause::NoMemoryToWrite, path));
    };
    std::unique_ptr<uint8_t[]> blocks(new (std::nothrow) uint8_t[headerSize + kLegacyConfigSize]);
    if (!blocks) return noMemory();
    std::copy(start, start + 24, blocks.get());
    if (!fs::ReadFully(in.Get(), blocks.get() + 24, headerSize + kLegacyConfigSize - 24, got))
        return readFailed();
    if (got != headerSize + kLegacyConfigSize - 24) return changed();
    const DataLogHeader header = ConvertLegacyHeader(blocks.get(), layout);
    const EcuConfigBlock config = ConvertLegacyConfig(blocks.get() + headerSize);
    blocks.reset();
    say(VersionLine(layout));

    const size_t block = std::min(kBlockFrames, std::max<size_t>(frameCount, 1));
    std::unique_ptr<uint8_t[]> legacyFrames(new (std::nothrow) uint8_t[block * kLegacyFrameSize]);
    std::unique_ptr<uint8_t[]> v4Frames(new (std::nothrow) uint8_t[block * kFrameSize]);
    if (!legacyFrames || !v4Frames) return noMemory();

    const std::string target = LegacyConvertedPath(path);
    if (fs::SameFile(target, path))
        return fail(kLegacyCreateFailed,
                    Result::Failure(ErrorKind::CannotWrite, Cause::CreateFailed, target,
                                    "it is the file being converted"));
    std::error_code ec;
    const bool exists =
        std::filesystem::exists(std::filesystem::symlink_status(fs::PathOf(target), ec));
    const bool replace = exists && mayReplace && mayReplace(target);
    const auto targetExists = [&] {
        return fail(kLegacyTargetExists,
                    Result::Failure(ErrorKind::CannotWrite, Cause::TargetExists, target));
    };
    if (exists && !replace) return targetExists();
    AtomicFile out(target);
    if (!out.Open()) return fail(kLegacyCreateFailed, out.Failure());
    // Frames are streamed block by block, so reading and writing overlap; the lines still come
    // in their usual order once the frame pass is over.
    bool written = out.Write(header.bytes.data(), header.bytes.size()) &&
                   out.Write(config.bytes.data(), config.bytes.size());
    size_t done = 0;
    while (written && done < frameCount) {
        size_t want = std::min(block, frameCount - done);
        if (!fs::ReadFully(in.Get(), legacyFrames.get(), want * kLegacyFrameSize, got))
            return readFailed();
        // The file shrank while it was read.
        if (got < want * kLegacyFrameSize) return changed();
        for (size_t i = 0; i < want; ++i)
            ConvertLegacyFrame(legacyFrames.get() + i * kLegacyFrameSize,
                               v4Frames.get() + i * kFrameSize);
        written = out.Write(v4Frames.get(), want * kFrameSize);
        done += want;
        if (progress) progress(int64_t(done), int64_t(frameCount));
    }
    if (written && !(fs::IdentityOf(in.Get()) == identity)) return changed();
    if (!written) return fail(kLegacyWriteFailed, out.Failure());
    say(kLegacyReadComplete);
    say(kLegacyWriting);
    // Without `replace`, a file made meanwhile under the target's name is kept as well.
    bool existed = false;
    if (!(replace ? out.Commit() : out.Finish() && out.Publish(target, false, &existed)))
        return existed ? targetExists() : fail(kLegacyWriteFailed, out.Failure());
    if (newPath) *newPath = target;
    say(kLegacyComplete);
    return true;
}

bool ConvertLegacyBytes(std::span<const uint8_t> in, const ConversionReport& report,
                        std::vector<uint8_t>& out) {
    auto say = [&](const char* line) {
        if (report) report(line);
    };
    out.clear();
    const LegacyStart check = CheckLegacyStart(in.data(), in.size(), in.size());
    if (check.layout == 4) say(kLegacyAlreadyV4);
    if (check.layout == 0) say(check.line);
    if (check.layout == 0 || check.layout == 4) return check.layout == 4;
    const int layout = check.layout;
    const size_t headerSize = LegacyHeaderSize(layout);
    const size_t frameCount = (in.size() - headerSize - kLegacyConfigSize) / kLegacyFrameSize;
    const DataLogHeader header = ConvertLegacyHeader(in.data(), layout);
    const EcuConfigBlock config = ConvertLegacyConfig(in.data() + headerSize);
    say(VersionLine(layout));
    try {
        out.resize(kFramesOffset + frameCount * kFrameSize);
    } catch (const std::bad_alloc&) {
        say(kLegacyNoMemory);
        return false;
    }
    std::copy(header.bytes.begin(), header.bytes.end(), out.begin());
    std::copy(config.bytes.begin(), config.bytes.end(), out.begin() + DataLogHeader::kSize);
    const uint8_t* frames = in.data() + headerSize + kLegacyConfigSize;
    for (size_t i = 0; i < frameCount; ++i)
        ConvertLegacyFrame(frames + i * kLegacyFrameSize,
                           out.data() + kFramesOffset + i * kFrameSize);
    say(kLegacyReadComplete);
    say(kLegacyWriting);
    say(kLegacyComplete);
    return true;
}

}  // namespace quillon
