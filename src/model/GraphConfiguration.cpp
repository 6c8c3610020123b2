#include "model/GraphConfiguration.h"

#include <cstdio>

#include "format/ByteRecord.h"
#include "model/ChannelInfo.h"

namespace quillon {

namespace {

std::string FixedText(const char* p, size_t size) {
    return LoadText(reinterpret_cast<const uint8_t*>(p), size);
}

}  // namespace

GraphConfiguration DefaultGraphConfiguration() {
    GraphConfiguration config;
    for (int v = 0; v < kViewCount; ++v) {
        GraphView& view = config.views[v];
        std::snprintf(view.title, sizeof view.title, "View #%i", v + 1);
        for (int e = 0; e < kViewEntryCount; ++e) {
            GraphViewEntry& entry = view.entries[e];
            entry.channel = static_cast<uint32_t>(kViewEntryCount * v + e + 1);
            entry.graph = 1;
            entry.axisDisplay = 1;
            entry.panel = 0;
            entry.filter = 0;
        }
    }
    for (int c = 1; c <= kChannelCount; ++c)
        config.axes[c - 1] = DefaultAxisSetting(c);
    return config;
}

std::string GraphViewTitle(const GraphView& view) {
    return FixedText(view.title, sizeof view.title);
}
std::string MathChannelName(const MathChannelDefinition& definition) {
    return FixedText(definition.name, sizeof definition.name);
}
std::string MathChannelFormula(const MathChannelDefinition& definition) {
    return FixedText(definition.formula, sizeof definition.formula);
}

bool IsValidChannelNumber(uint32_t channel) {
    return channel >= 1 && channel <= 440;
}
bool IsValidPanel(uint32_t panel) {
    return panel < static_cast<uint32_t>(kPanelCount);
}
bool IsValidFilterLevel(uint32_t filter) {
    return filter <= 5;
}

}  // namespace quillon
