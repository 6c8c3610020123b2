#include "format/LegacyConverter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
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

/// Checks the first 24 bytes (zeros past the end of a shorter file) and the length of a file:
/// the legacy layout (1 to 3), 4 when it is V4 already, or 0 when it cannot be converted. Every
/// outcome but a legacy layout is reported.
int CheckLegacyStart(const uint8_t* start, std::optional<uintmax_t> length,
                     const std::function<void(const char*)>& say) {
    if (LoadU32(start) != DataLogHeader::kMagic) {
        say(kLegacyWrongMagic);
        return 0;
    }
    uint32_t major = LoadU32(start + 4);
    uint32_t minor = LoadU32(start + 8);
    if (major != 0 || minor < 1 || minor > 4) {
        say(kLegacyUnknownVersion);
        return 0;
    }
    if (minor == 4) {
        say(kLegacyAlreadyV4);
        return 4;
    }
    // A file too short for its blocks has no frames to speak of; converting it would invent
    // a header and configuration out of nothing.
    if (!length || *length < LegacyHeaderSize(int(minor)) + kLegacyConfigSize) {
        say(kLegacyTooShort);
        return 0;
    }
    return int(minor);
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
                      const ProgressCallback& progress, std::string* newPath) {
    auto say = [&](const char* line) {
        if (report) report(line);
    };
    // Only a regular file is opened: a FIFO would block the open, a device is no log.
    FilePtr in(fs::KindOf(path) == fs::PathKind::Regular ? fs::OpenStream(path, "rb") : nullptr);
    if (!in) {
        say(kLegacyOpenFailed);
        return false;
    }
    uint8_t start[24] = {};
    ReadSome(in.get(), start, sizeof start);
    std::error_code ec;
    const uintmax_t fileSize = std::filesystem::file_size(fs::PathOf(path), ec);
    const int layout = CheckLegacyStart(start, ec ? std::nullopt : std::optional(fileSize), say);
    if (layout == 0 || layout == 4) return layout == 4;
    const size_t headerSize = LegacyHeaderSize(layout);
    const uintmax_t length = fileSize;
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
    say(VersionLine(layout));

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
    if (!out.Commit()) {
        say(kLegacyWriteFailed);
        return false;
    }
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
    uint8_t start[24] = {};
    std::copy_n(in.begin(), std::min(in.size(), sizeof start), start);
    const int layout = CheckLegacyStart(start, in.size(), say);
    if (layout == 0 || layout == 4) return layout == 4;
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
