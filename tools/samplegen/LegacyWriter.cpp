#include "LegacyWriter.h"

#include <algorithm>
#include <cstring>

#include "platform/AtomicFile.h"
#include "texts/FailureText.h"
#include "format/DataLogFrame.h"
#include "format/LegacyLayout.h"

namespace quillon {

namespace {

constexpr uint8_t kFiller = 0xA5;
constexpr size_t kBlockFrames = 256;

bool ValidLayout(int layout) {
    return layout >= 1 && layout <= 3;
}

void PutHead(int layout, const SampleLogOptions& options, std::vector<uint8_t>& out) {
    std::vector<uint8_t> header = BuildLegacyHeader(layout, options);
    std::vector<uint8_t> config = BuildLegacyConfig(options);
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), config.begin(), config.end());
}

}  // namespace

std::vector<uint8_t> BuildLegacyHeader(int layout, const SampleLogOptions& options) {
    if (!ValidLayout(layout)) return {};
    DataLogHeader v4;
    EcuConfigBlock config;
    FillSampleHeader(options, v4, config);
    std::vector<uint8_t> out(LegacyHeaderSize(layout), kFiller);
    const uint8_t* src = v4.bytes.data();
    std::memcpy(out.data(), src, 24);
    StoreU32(out.data(), DataLogHeader::kMagic);
    StoreU32(out.data() + 4, 0);
    StoreU32(out.data() + 8, uint32_t(layout));
    if (layout == 3) {
        std::memcpy(out.data() + 24, src + 24, 7712 - 24);
        return out;
    }
    std::memcpy(out.data() + 24, src + DataLogHeader::notes.offset, DataLogHeader::notes.size);
    if (layout == 2)
        for (const LegacyRun& r : kLayout2HeaderRuns)
            std::memcpy(out.data() + r.from, src + r.to, size_t(r.count));
    return out;
}

std::vector<uint8_t> BuildLegacyConfig(const SampleLogOptions& options) {
    DataLogHeader header;
    EcuConfigBlock v4;
    FillSampleHeader(options, header, v4);
    const uint8_t* src = v4.bytes.data();
    std::vector<uint8_t> out(kLegacyConfigSize, kFiller);
    for (const LegacyRun& r : kLegacyConfigRuns)
        std::memcpy(out.data() + r.from, src + r.to, size_t(r.count));
    for (size_t k = 0; k < EcuConfigBlock::kInputCount; ++k) {
        uint8_t* rec = out.data() + kLegacyInputOffset + kLegacyInputSize * k;
        const uint8_t* e =
            src + EcuConfigBlock::inputChannelsOffset + EcuConfigBlock::kInputSize * k;
        std::memcpy(rec, e, 18);
        std::memcpy(rec + 56, e + 20, 4);
        std::memcpy(rec + 44, e + 24, 4);
        std::memcpy(rec + 64, e + 28, 4);
        std::memcpy(rec + 72, e + 32, 4);
        std::memcpy(rec + 68, e + 36, 4);
        std::memcpy(rec + 100, e + 40, 6);
        std::memcpy(rec + 106, e + 48, 5);
    }
    for (size_t k = 0; k < EcuConfigBlock::kOutputCount; ++k) {
        uint8_t* rec = out.data() + kLegacyOutputOffset + kLegacyOutputSize * k;
        const uint8_t* e =
            src + EcuConfigBlock::outputChannelsOffset + EcuConfigBlock::kOutputSize * k;
        std::memcpy(rec, e, 18);
        std::memcpy(rec + 56, e + 20, 4);
        std::memcpy(rec + 44, e + 24, 4);
        std::memcpy(rec + 268, e + 28, 4);
        std::memcpy(rec + 284, e + 32, 4);
    }
    std::memcpy(out.data() + kLegacyTailOffset, src + kV4TailOffset, kLegacyTailSize);
    return out;
}

void FillLegacyFrame(const SampleLogOptions& options, int64_t index, uint8_t* frame) {
    uint8_t v4[kFrameSize];
    FillSampleFrame(options, index, v4);
    StoreU64(frame, LoadU64(v4) / 10);
    for (const LegacyRun& r : kLegacySlotRuns)
        std::memcpy(frame + 8 * r.from, v4 + 8 * r.to, 8 * size_t(r.count));
}

std::vector<uint8_t> GenerateLegacyBytes(int layout, const SampleLogOptions& options) {
    std::vector<uint8_t> out;
    if (!ValidLayout(layout)) return out;
    PutHead(layout, options, out);
    const size_t frames = size_t(std::max(options.frames, 0));
    const size_t head = out.size();
    out.resize(head + frames * kLegacyFrameSize);
    for (size_t i = 0; i < frames; ++i)
        FillLegacyFrame(options, int64_t(i), out.data() + head + i * kLegacyFrameSize);
    size_t tail =
        std::min<size_t>(size_t(std::max(options.trailingBytes, 0)), kLegacyFrameSize - 1);
    if (tail) {
        uint8_t extra[kLegacyFrameSize];
        FillLegacyFrame(options, int64_t(frames), extra);
        out.insert(out.end(), extra, extra + tail);
    }
    return out;
}

bool WriteLegacyLog(const std::string& path, int layout, const SampleLogOptions& options,
                    std::string* error) {
    if (!ValidLayout(layout)) {
        if (error) *error = "legacy layout must be 1, 2 or 3";
        return false;
    }
    AtomicFile file(path);
    std::vector<uint8_t> buffer;
    PutHead(layout, options, buffer);
    bool ok = file.Open() && file.Write(buffer.data(), buffer.size());
    const int64_t frames = std::max(options.frames, 0);
    buffer.resize(kBlockFrames * kLegacyFrameSize);
    for (int64_t i = 0; ok && i < frames; i += int64_t(kBlockFrames)) {
        int64_t n = std::min<int64_t>(int64_t(kBlockFrames), frames - i);
        for (int64_t j = 0; j < n; ++j)
            FillLegacyFrame(options, i + j, buffer.data() + size_t(j) * kLegacyFrameSize);
        ok = file.Write(buffer.data(), size_t(n) * kLegacyFrameSize);
    }
    size_t tail =
        std::min<size_t>(size_t(std::max(options.trailingBytes, 0)), kLegacyFrameSize - 1);
    if (ok && tail) {
        FillLegacyFrame(options, frames, buffer.data());
        ok = file.Write(buffer.data(), tail);
    }
    ok = ok && file.Commit();
    if (!ok && error) *error = FailureText(file.Failure());
    return ok;
}

}  // namespace quillon
