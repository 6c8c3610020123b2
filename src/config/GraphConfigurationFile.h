#pragma once
/// The .graph file: the three configuration blocks serialised field by field (10218 bytes,
/// little-endian), the default configuration, and the readers and writers of the document and
/// the setup dialogs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/GraphConfiguration.h"

namespace quillon {

using GraphConfigurationBytes = std::array<uint8_t, GraphConfiguration::kFileSize>;

/// Eight "View #%i" views of consecutive channels, the catalogue's axis defaults and empty math
/// channel definitions.
GraphConfiguration DefaultGraphConfiguration();

/// The file image of a configuration; every byte of the records is carried, the uninterpreted
/// ones included.
GraphConfigurationBytes SerializeGraphConfiguration(const GraphConfiguration& config);
/// Reads the file image over a configuration: the first `size` bytes replace the configuration's
/// bytes, the rest stays as it was, bytes beyond 10218 are ignored.
void DeserializeGraphConfiguration(const uint8_t* data, size_t size, GraphConfiguration& config);

/// Reads a .graph file over `config` as far as the file reaches. False with kOpenErrorText
/// (config unchanged) when the file cannot be opened or read.
bool ReadGraphConfigurationFile(const std::string& path, GraphConfiguration& config,
                                std::string* error = nullptr);
/// Writes a .graph file atomically. False with kSaveErrorText when it cannot be written; an
/// existing file is then left as it was.
bool WriteGraphConfigurationFile(const std::string& path, const GraphConfiguration& config,
                                 std::string* error = nullptr);

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
