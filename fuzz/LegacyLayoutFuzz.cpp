// Fuzz target for the conversion of legacy logs (layouts 1 to 3). The first byte chooses the
// layout and how many whole frames follow, and whether the magic and version are kept as the
// input gives them; header, configuration block and frames are the rest of the input repeated.
// A converted file must read back as a V4 log with the frames' timestamps times ten.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzScratch.h"
#include "format/ByteRecord.h"
#include "model/DataLogFile.h"
#include "platform/FileSystem.h"
#include "format/LegacyConverter.h"
#include "format/LegacyLayout.h"
#include "format/LegacyMapping.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = size > 0 ? data[0] : 0;
    const int layout = 1 + mode % 3;
    const size_t frames = (mode >> 2) % 4;
    const bool raw = (mode & 0x80) != 0;
    const size_t tail = size > 1 ? data[1] * 9 % kLegacyFrameSize : 0;
    const size_t headerSize = LegacyHeaderSize(layout);
    // Short files too: some inputs end inside the header or the configuration block.
    size_t length = headerSize + kLegacyConfigSize + frames * kLegacyFrameSize + tail;
    if ((mode & 0x40) && size > 2) length = size_t(data[2]) * 500 % length;
    std::vector<uint8_t> file(length, 0);
    if (size > 2)
        for (size_t i = 0; i < length; ++i)
            file[i] = data[2 + i % (size - 2)];
    if (!raw && length >= 12) {
        StoreU32(file.data(), DataLogHeader::kMagic);
        StoreU32(file.data() + 4, 0);
        StoreU32(file.data() + 8, uint32_t(layout));
    }
    const std::string path = FuzzScratchFolder() + "/legacy.dl";
    if (!WriteFuzzFile(path, file.data(), file.size())) return 0;
    std::string converted;
    std::vector<std::string> lines;
    const bool ok = ConvertLegacyLog(
        path, [&](const std::string& line) { lines.push_back(line); }, {}, &converted);
    if (lines.empty()) std::abort();
    const uint32_t minor = length >= 12 ? LoadU32(file.data() + 8) : 0;
    const bool legacy = length >= 12 && LoadU32(file.data()) == DataLogHeader::kMagic &&
                        LoadU32(file.data() + 4) == 0 && minor >= 1 && minor <= 3;
    if (ok && legacy) {
        std::vector<uint8_t> out;
        if (!fs::ReadWholeFile(converted, out)) std::abort();
        std::filesystem::remove(converted);
        const size_t hs = LegacyHeaderSize(int(minor));
        const size_t n = (length - hs - kLegacyConfigSize) / kLegacyFrameSize;
        if (out.size() != kFramesOffset + n * kFrameSize) std::abort();
        LogData log;
        if (!ReadDataLogBytes(out.data(), out.size(), log).ok() || size_t(log.frameCount) != n)
            std::abort();
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* legacyFrame =
                file.data() + hs + kLegacyConfigSize + i * kLegacyFrameSize;
            if (LoadU64(out.data() + kFramesOffset + i * kFrameSize) != LoadU64(legacyFrame) * 10)
                std::abort();
        }
    } else if (ok && !(length >= 12 && minor == 4)) {
        std::abort();  // only a V4 file may be accepted without a conversion
    }
    return 0;
}
