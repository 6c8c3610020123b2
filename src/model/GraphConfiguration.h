#pragma once
/// The display setup that is not part of a log: eight channel views, one axis setting per
/// channel and ten math channel definitions. On disk a .graph file is the three blocks one after
/// the other (2208 + 5280 + 2730 = 10218 bytes, little-endian, no header).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

struct GraphViewEntry {
    uint32_t channel = 0;     // 1..440, 0 = empty entry
    uint8_t graph = 0;        // drawn in the chart
    uint8_t axisDisplay = 0;  // y axis labelled
    uint8_t reserved[2]{};    // not interpreted, carried unchanged
    uint32_t panel = 0;       // 0..4
    uint32_t filter = 0;      // 0 = none, 1..5 smoothing levels
    static constexpr size_t kFileSize = 16;
};

struct GraphView {
    char title[20]{};
    std::array<GraphViewEntry, 16> entries{};
    static constexpr size_t kFileSize = 276;
};

struct ChannelAxisSetting {
    uint8_t autoscale = 1;
    uint8_t reserved[3]{};
    float minimum = 0;
    float maximum = 0;
    static constexpr size_t kFileSize = 12;
};

struct MathChannelDefinition {
    char name[18]{};
    char formula[255]{};
    static constexpr size_t kFileSize = 273;
};

inline constexpr int kViewCount = 8;
inline constexpr int kViewEntryCount = 16;
inline constexpr int kPanelCount = 5;
inline constexpr int kMathChannelCount = 10;

struct GraphConfiguration {
    std::array<GraphView, kViewCount> views{};
    std::array<ChannelAxisSetting, 440> axes{};  // record c - 1 belongs to channel c
    std::array<MathChannelDefinition, kMathChannelCount> math{};

    static constexpr size_t kViewsSize = 2208;
    static constexpr size_t kAxesSize = 5280;
    static constexpr size_t kMathSize = 2730;
    static constexpr size_t kFileSize = kViewsSize + kAxesSize + kMathSize;  // 10218
};
static_assert(GraphView::kFileSize * kViewCount == GraphConfiguration::kViewsSize);
static_assert(ChannelAxisSetting::kFileSize * 440 == GraphConfiguration::kAxesSize);
static_assert(MathChannelDefinition::kFileSize * kMathChannelCount ==
              GraphConfiguration::kMathSize);

/// Eight "View #%i" views of consecutive channels, the catalogue's axis defaults and empty math
/// channel definitions.
GraphConfiguration DefaultGraphConfiguration();

/// Texts of the fixed fields, safe when a file filled a field without its terminator.
std::string GraphViewTitle(const GraphView& view);
std::string MathChannelName(const MathChannelDefinition& definition);
std::string MathChannelFormula(const MathChannelDefinition& definition);
/// Whether the fields read from a file lie in their ranges: channel 1..440, panel 0..4, filter
/// level 0..5.
bool IsValidChannelNumber(uint32_t channel);
bool IsValidPanel(uint32_t panel);
bool IsValidFilterLevel(uint32_t filter);

}  // namespace quillon
