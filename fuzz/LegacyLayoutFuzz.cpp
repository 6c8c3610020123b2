// Fuzz target for the conversion of legacy logs (layouts 1 to 3). The first byte chooses the
// layout and how many whole frames follow, and whether the magic and version are kept as the
// input gives them; header, configuration block and frames are the rest of the input repeated.
// The bytes are converted in memory; the result must read back as a V4 log with the frames'
// timestamps times ten.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzBytes.h"
#include "format/ByteRecord.h"
#include "model/DataLogFile.h"
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
    std::vector<uint8_t> file(length);
    FillRepeated(file.data(), length, size > 2 ? data + 2 : nullptr, size > 2 ? size - 2 : 0);
    if (!raw && length >= 12) {
        StoreU32(file.data(), DataLogHeader::kMagic);
        StoreU32(file.data() + 4, 0);
        StoreU32(file.data() + 8, uint32_t(layout));
    }
    std::vector<uint8_t> out;
    std::vector<std::string> lines;
    const bool ok = ConvertLegacyBytes(
        file, [&](const std::string& line) { lines.push_back(line); }, out);
    if (lines.empty()) std::abort();
    const uint32_t minor = length >= 12 ? LoadU32(file.data() + 8) : 0;
    const bool legacy = length >= 12 && LoadU32(file.data()) == DataLogHeader::kMagic &&
                        LoadU32(file.data() + 4) == 0 && minor >= 1 && minor <= 3;
    if (ok && legacy) {
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
    } else if (ok && !(length >= 12 && minor == 4 && out.empty())) {
        std::abort();  // only a V4 file may be accepted without a conversion
    }
    return 0;
}
