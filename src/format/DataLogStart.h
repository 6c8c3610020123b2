#pragma once
/// The checks on the first bytes of a V4 log file, made before anything else of it is read.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Result.h"

namespace quillon {

/// Checks the start of a file of `fileSize` bytes: magic, version words, then the length of
/// header and configuration block. `size` bytes of the file are given (at least 12 are needed
/// for the magic and version checks).
Result CheckDataLogStart(const uint8_t* data, size_t size, uint64_t fileSize,
                         const std::string& name);

}  // namespace quillon
