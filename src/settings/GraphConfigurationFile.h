#pragma once
/// The .graph file: the three configuration blocks serialised field by field (10218 bytes,
/// little-endian), and the readers and writers of the document and the setup dialogs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/GraphConfiguration.h"
#include "platform/Result.h"

namespace quillon {

using GraphConfigurationBytes = std::array<uint8_t, GraphConfiguration::kFileSize>;

/// The file image of a configuration; every byte of the records is carried, the uninterpreted
/// ones included.
GraphConfigurationBytes SerializeGraphConfiguration(const GraphConfiguration& config);
/// Reads the file image over a configuration: the first `size` bytes replace the configuration's
/// bytes, the rest stays as it was, bytes beyond 10218 are ignored.
void DeserializeGraphConfiguration(const uint8_t* data, size_t size, GraphConfiguration& config);

/// Reads a .graph file over `config` as far as the file reaches. A failure (Operation::ReadGraph;
/// config unchanged) when the file cannot be opened or read.
Result ReadGraphConfigurationFile(const std::string& path, GraphConfiguration& config);
/// Writes a .graph file atomically. A failure (Operation::WriteGraph) when it cannot be written;
/// an existing file is then left as it was.
Result WriteGraphConfigurationFile(const std::string& path, const GraphConfiguration& config);

}  // namespace quillon
