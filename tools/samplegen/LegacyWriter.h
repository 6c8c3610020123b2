#pragma once
/// Legacy logs of layouts 1, 2 and 3 carrying the sample log's content, for tests, benchmarks
/// and the generator program.

#include <cstdint>
#include <string>
#include <vector>

#include "SampleLog.h"

namespace quillon {

/// The legacy header of `layout` (1..3) built from the sample header: notes (and in layout 2
/// the property fields, in layout 3 every byte from 24 on) in their legacy places; bytes the
/// conversion does not read hold a filler pattern.
std::vector<uint8_t> BuildLegacyHeader(int layout, const SampleLogOptions& options);

/// The 111828-byte legacy configuration block built from the sample configuration block; bytes
/// the conversion does not read hold a filler pattern.
std::vector<uint8_t> BuildLegacyConfig(const SampleLogOptions& options);

/// The 2152 bytes of legacy frame i: the sample frame's slots in their legacy places and its
/// timestamp in 10-millisecond units (truncated).
void FillLegacyFrame(const SampleLogOptions& options, int64_t index, uint8_t* frame);

/// A whole legacy file in memory.
std::vector<uint8_t> GenerateLegacyBytes(int layout, const SampleLogOptions& options);

/// Writes a legacy file of `layout` (1..3), streaming blocks of frames; options.trailingBytes
/// bytes of one more frame are appended (cut to less than a frame).
bool WriteLegacyLog(const std::string& path, int layout, const SampleLogOptions& options,
                    std::string* error = nullptr);

}  // namespace quillon
