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

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Reads up to size bytes; the count actually read.
size_t ReadSome(std::FILE* f, void* data, size_t size) {
    return size ? std::fread(data, 1, size, f) : 0;
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
                      const ReplaceQuestion& mayReplace) {
    auto say = [&](const char* line) {
        if (report) report(line);
    };
    // Only a regular file is opened: a FIFO would block the open, a device is no log.
    FilePtr in(fs::KindOf(path) == fs::PathKind::Regular ? fs::OpenStream(path, "rb") : nullptr);
    std::error_code ec;
    if (!in) {
        say(kLegacyOpenFailed);
        return false;
    }
    uint8_t start[24] = {};
    ReadSome(in.get(), start, sizeof start);
    if (LoadU32(start) != DataLogHeader::kMagic) {
        say(kLegacyWrongMagic);
        return false;
    }
    uint32_t major = LoadU32(start + 4);
    uint32_t minor = LoadU32(start + 8);
    if (major != 0 || minor < 1 || minor > 4) {
        say(kLegacyUnknownVersion);
        return false;
    }
    if (minor == 4) {
        say(kLegacyAlreadyV4);
        return true;
    }

    const int layout = int(minor);
    const size_t headerSize = LegacyHeaderSize(layout);
    const uintmax_t length = std::filesystem::file_size(fs::PathOf(path), ec);
    // A file too short for its blocks has no frames to speak of; converting it would invent
    // a header and configuration out of nothing.
    if (ec || length < headerSize + kLegacyConfigSize) {
        say(kLegacyTooShort);
        return false;
    }
    const size_t frameCount = size_t((length - headerSize - kLegacyConfigSize) / kLegacyFrameSize);

    std::unique_ptr<uint8_t[]> blocks(new (std::nothrow) uint8_t[headerSize + kLegacyConfigSize]);
    if (!blocks) {
        say(kLegacyNoMemory);
        return false;
    }
    std::copy(start, start + 24, blocks.get());
    if (ReadSome(in.get(), blocks.get() + 24, headerSize + kLegacyConfigSize - 24) !=
        headerSize + kLegacyConfigSize - 24) {
        say(kLegacyReadFailed);
        return false;
    }
    const DataLogHeader header = ConvertLegacyHeader(blocks.get(), layout);
    const EcuConfigBlock config = ConvertLegacyConfig(blocks.get() + headerSize);
    blocks.reset();
    static const char* const kVersionLines[] = {"-VERSION:V1", "-VERSION:V2", "-VERSION:V3"};
    say(kVersionLines[layout - 1]);

    const size_t block = std::min(kBlockFrames, std::max<size_t>(frameCount, 1));
    std::unique_ptr<uint8_t[]> legacyFrames(new (std::nothrow) uint8_t[block * kLegacyFrameSize]);
    std::unique_ptr<uint8_t[]> v4Frames(new (std::nothrow) uint8_t[block * kFrameSize]);
    if (!legacyFrames || !v4Frames) {
        say(kLegacyNoMemory);
        return false;
    }

    const std::string target = LegacyConvertedPath(path);
    if (fs::SameFile(target, path)) {
        say(kLegacyCreateFailed);
        return false;
    }
    const bool exists =
        std::filesystem::exists(std::filesystem::symlink_status(fs::PathOf(target), ec));
    const bool replace = exists && mayReplace && mayReplace(target);
    if (exists && !replace) {
        say(kLegacyTargetExists);
        return false;
    }
    AtomicFile out(target);
    if (!out.Open()) {
        say(kLegacyCreateFailed);
        return false;
    }
    // Frames are streamed block by block, so reading and writing overlap; the lines still come
    // in their usual order once the frame pass is over.
    bool written = out.Write(header.bytes.data(), header.bytes.size()) &&
                   out.Write(config.bytes.data(), config.bytes.size());
    size_t done = 0;
    while (written && done < frameCount) {
        size_t want = std::min(block, frameCount - done);
        size_t got = ReadSome(in.get(), legacyFrames.get(), want * kLegacyFrameSize);
        size_t whole = got / kLegacyFrameSize;
        for (size_t i = 0; i < whole; ++i)
            ConvertLegacyFrame(legacyFrames.get() + i * kLegacyFrameSize,
                               v4Frames.get() + i * kFrameSize);
        written = out.Write(v4Frames.get(), whole * kFrameSize);
        done += whole;
        if (progress) progress(int64_t(done), int64_t(frameCount));
        if (whole < want) break;  // the file shrank while it was read: keep the whole frames
    }
    if (std::ferror(in.get())) {
        say(kLegacyReadFailed);
        return false;
    }
    in.reset();
    if (!written) {
        say(kLegacyWriteFailed);
        return false;
    }
    say(kLegacyReadComplete);
    say(kLegacyWriting);
    // Without `replace`, a file made meanwhile under the target's name is kept as well.
    bool existed = false;
    if (!(replace ? out.Commit() : out.Finish() && out.Publish(target, false, &existed))) {
        say(existed ? kLegacyTargetExists : kLegacyWriteFailed);
        return false;
    }
    if (newPath) *newPath = target;
    say(kLegacyComplete);
    return true;
}

}  // namespace quillon
