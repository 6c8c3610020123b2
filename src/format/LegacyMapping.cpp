#include "format/LegacyMapping.h"

#include <cstdio>
#include <cstring>

#include "format/DataLogFrame.h"

namespace quillon {

DataLogHeader ConvertLegacyHeader(const uint8_t* legacy, int layout) {
    DataLogHeader header;
    // magic, the two version words and reserved12 are shared by every layout.
    std::memcpy(header.bytes.data(), legacy, 24);
    if (layout == 3) {
        std::memcpy(header.bytes.data() + 24, legacy + 24, 7712 - 24);
    } else {
        header.Set(DataLogHeader::reserved24, uint32_t(DataLogHeader::kSize));
        std::memcpy(header.bytes.data() + DataLogHeader::notes.offset, legacy + 24,
                    DataLogHeader::notes.size);
        if (layout == 2)
            for (const LegacyRun& r : kLayout2HeaderRuns)
                std::memcpy(header.bytes.data() + r.to, legacy + r.from, size_t(r.count));
    }
    header.Set(DataLogHeader::versionMinor, 4u);
    return header;
}

EcuConfigBlock ConvertLegacyConfig(const uint8_t* legacy) {
    EcuConfigBlock config;
    uint8_t* out = config.bytes.data();
    for (const LegacyRun& r : kLegacyConfigRuns)
        std::memcpy(out + r.to, legacy + r.from, size_t(r.count));
    // Settings the legacy firmware did not have get their fixed values.
    config.Set(EcuConfigBlock::fuelMode, 0u);
    config.Set(EcuConfigBlock::cylinderCount, 4u);
    config.Set(EcuConfigBlock::ignitionType, 0u);
    config.Set(EcuConfigBlock::ignitionSubType, 1u);

    static const char* const kGroups[4] = {"AT 1D#%i", "AT 2D#%i", "AT 1D Gear #%i",
                                           "AT 2D Gear #%i"};
    for (size_t k = 0; k < EcuConfigBlock::kAtTableCount; ++k) {
        char name[24];
        std::snprintf(name, sizeof name, kGroups[k / 8], int(k % 8) + 1);
        config.Set(EcuConfigBlock::AtTableName(k), name);
    }

    std::memcpy(out + kV4TailOffset, legacy + kLegacyTailOffset, kLegacyTailSize);

    for (size_t k = 0; k < EcuConfigBlock::kInputCount; ++k) {
        const uint8_t* in = legacy + kLegacyInputOffset + kLegacyInputSize * k;
        uint8_t* entry = out + EcuConfigBlock::inputChannelsOffset + EcuConfigBlock::kInputSize * k;
        std::memcpy(entry, in, 18);           // name
        std::memcpy(entry + 20, in + 56, 4);  // kind flags
        std::memcpy(entry + 24, in + 44, 4);  // enabled
        std::memcpy(entry + 28, in + 64, 4);  // three words the viewer does not read
        std::memcpy(entry + 32, in + 72, 4);
        std::memcpy(entry + 36, in + 68, 4);
        std::memcpy(entry + 40, in + 100, 6);  // unit
        std::memcpy(entry + 48, in + 106, 5);  // number format
    }
    for (size_t k = 0; k < EcuConfigBlock::kOutputCount; ++k) {
        const uint8_t* in = legacy + kLegacyOutputOffset + kLegacyOutputSize * k;
        uint8_t* entry =
            out + EcuConfigBlock::outputChannelsOffset + EcuConfigBlock::kOutputSize * k;
        std::memcpy(entry, in, 18);            // name
        std::memcpy(entry + 20, in + 56, 4);   // kind flags
        std::memcpy(entry + 24, in + 44, 4);   // enabled
        std::memcpy(entry + 28, in + 268, 4);  // a word the viewer does not read
        std::memcpy(entry + 32, in + 284, 4);  // output mode
    }
    // Ten records after the output channels: empty name, 0, 0, 0.0, 1.0.
    for (size_t k = 0; k < 10; ++k) {
        size_t at = EcuConfigBlock::outputChannelsOffset +
                    EcuConfigBlock::kOutputSize * (EcuConfigBlock::kOutputCount + k);
        StoreF32(out + at + 32, 1.0f);
    }
    return config;
}

void ConvertLegacyFrame(const uint8_t* legacy, uint8_t* v4) {
    StoreU64(v4, LoadU64(legacy) * 10);  // 10-millisecond units become milliseconds
    int next = 1;
    for (const LegacyRun& r : kLegacySlotRuns) {
        std::memset(v4 + 8 * next, 0, 8 * size_t(r.to - next));
        std::memcpy(v4 + 8 * r.to, legacy + 8 * r.from, 8 * size_t(r.count));
        next = r.to + r.count;
    }
    std::memset(v4 + 8 * next, 0, 8 * size_t(kSlotCount - next));
}

}  // namespace quillon
