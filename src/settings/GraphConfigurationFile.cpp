#include "settings/GraphConfigurationFile.h"

#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "format/ByteRecord.h"

namespace quillon {

namespace {

constexpr size_t kEntryChannel = 0;
constexpr size_t kEntryGraph = 4;
constexpr size_t kEntryAxisDisplay = 5;
constexpr size_t kEntryReserved = 6;
constexpr size_t kEntryPanel = 8;
constexpr size_t kEntryFilter = 12;
constexpr size_t kViewTitleSize = 20;
constexpr size_t kViewEntries = 20;
constexpr size_t kMathNameSize = 18;
constexpr size_t kMathFormulaSize = 255;

static_assert(sizeof(GraphView::title) == kViewTitleSize);
static_assert(kViewEntries + kViewEntryCount * GraphViewEntry::kFileSize == GraphView::kFileSize);
static_assert(sizeof(MathChannelDefinition::name) == kMathNameSize);
static_assert(sizeof(MathChannelDefinition::formula) == kMathFormulaSize);
static_assert(kMathNameSize + kMathFormulaSize == MathChannelDefinition::kFileSize);

}  // namespace

GraphConfigurationBytes SerializeGraphConfiguration(const GraphConfiguration& config) {
    GraphConfigurationBytes bytes{};
    uint8_t* p = bytes.data();
    for (const GraphView& view : config.views) {
        std::memcpy(p, view.title, kViewTitleSize);
        for (int e = 0; e < kViewEntryCount; ++e) {
            const GraphViewEntry& entry = view.entries[e];
            uint8_t* q = p + kViewEntries + e * GraphViewEntry::kFileSize;
            StoreU32(q + kEntryChannel, entry.channel);
            q[kEntryGraph] = entry.graph;
            q[kEntryAxisDisplay] = entry.axisDisplay;
            std::memcpy(q + kEntryReserved, entry.reserved, sizeof entry.reserved);
            StoreU32(q + kEntryPanel, entry.panel);
            StoreU32(q + kEntryFilter, entry.filter);
        }
        p += GraphView::kFileSize;
    }
    for (const ChannelAxisSetting& axis : config.axes) {
        p[0] = axis.autoscale;
        std::memcpy(p + 1, axis.reserved, sizeof axis.reserved);
        StoreF32(p + 4, axis.minimum);
        StoreF32(p + 8, axis.maximum);
        p += ChannelAxisSetting::kFileSize;
    }
    for (const MathChannelDefinition& math : config.math) {
        std::memcpy(p, math.name, kMathNameSize);
        std::memcpy(p + kMathNameSize, math.formula, kMathFormulaSize);
        p += MathChannelDefinition::kFileSize;
    }
    return bytes;
}

void DeserializeGraphConfiguration(const uint8_t* data, size_t size, GraphConfiguration& config) {
    // Overlaying the file on the current image fills a short file's blocks as far as it
    // reaches, down to single bytes of a record, and keeps the rest.
    GraphConfigurationBytes bytes = SerializeGraphConfiguration(config);
    if (size > 0) std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    const uint8_t* p = bytes.data();
    for (GraphView& view : config.views) {
        std::memcpy(view.title, p, kViewTitleSize);
        for (int e = 0; e < kViewEntryCount; ++e) {
            GraphViewEntry& entry = view.entries[e];
            const uint8_t* q = p + kViewEntries + e * GraphViewEntry::kFileSize;
            entry.channel = LoadU32(q + kEntryChannel);
            entry.graph = q[kEntryGraph];
            entry.axisDisplay = q[kEntryAxisDisplay];
            std::memcpy(entry.reserved, q + kEntryReserved, sizeof entry.reserved);
            entry.panel = LoadU32(q + kEntryPanel);
            entry.filter = LoadU32(q + kEntryFilter);
        }
        p += GraphView::kFileSize;
    }
    for (ChannelAxisSetting& axis : config.axes) {
        axis.autoscale = p[0];
        std::memcpy(axis.reserved, p + 1, sizeof axis.reserved);
        axis.minimum = LoadF32(p + 4);
        axis.maximum = LoadF32(p + 8);
        p += ChannelAxisSetting::kFileSize;
    }
    for (MathChannelDefinition& math : config.math) {
        std::memcpy(math.name, p, kMathNameSize);
        std::memcpy(math.formula, p + kMathNameSize, kMathFormulaSize);
        p += MathChannelDefinition::kFileSize;
    }
}

Result ReadGraphConfigurationFile(const std::string& path, GraphConfiguration& config) {
    GraphConfigurationBytes bytes{};
    // Only a regular file is read; a FIFO or device in its place is an error, never a hang.
    Result failure;
    const fs::FileHandle file = fs::OpenRegularForReading(path, &failure);
    if (!file) return failure.During(Operation::ReadGraph);
    size_t size = 0;
    if (!fs::ReadFully(file.Get(), bytes.data(), bytes.size(), size))
        return Result::Failure(ErrorKind::CannotOpen, Cause::ReadFailed, path, fs::LastErrorText())
            .During(Operation::ReadGraph);
    DeserializeGraphConfiguration(bytes.data(), size, config);
    return {};
}

Result WriteGraphConfigurationFile(const std::string& path, const GraphConfiguration& config) {
    GraphConfigurationBytes bytes = SerializeGraphConfiguration(config);
    return WriteFileAtomically(
               path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
        .During(Operation::WriteGraph);
}

}  // namespace quillon
