#pragma once
/// Deterministic sample logs for tests, benchmarks and the demo: a repeated drag pass (idle,
/// staging, launch, gear changes, boost, nitrous, shutdown) written as V4 .dl or .dlz bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "format/DataLogHeader.h"
#include "format/EcuConfigBlock.h"
#include "model/LogData.h"

namespace quillon {

struct SampleLogOptions {
    int frames = 1000;
    double rate = 100.0;  // frames per second
    uint32_t seed = 1;
    uint64_t startTimestamp = 1767225600000;  // ms since 1970 (2026-01-01 00:00:00)
    /// Header properties and a configuration block that enables boost, nitrous, transmission,
    /// drive-by-wire, AT tables and named inputs and outputs; false gives a bare header (magic
    /// and version only) and an all-zero configuration block.
    bool allFeatures = true;
    /// Bytes of one more frame appended after the last whole frame (a truncated recording).
    int trailingBytes = 0;
    float zeroTime = 0.0f;
};

/// Length of one cycle of the drag pass in seconds; longer logs repeat it.
inline constexpr double kSamplePassSeconds = 60.0;

/// Header and configuration block of a sample log.
void FillSampleHeader(const SampleLogOptions& options, DataLogHeader& header,
                      EcuConfigBlock& config);

/// Timestamp (ms) of frame i: whole milliseconds, so that a written log reads back unchanged.
uint64_t SampleFrameTimestamp(const SampleLogOptions& options, int64_t index);

/// The 3520 bytes of frame i. Frames depend only on the options and i, so any range can be
/// produced on its own. Diag statuses are 0, as the reader stores them.
void FillSampleFrame(const SampleLogOptions& options, int64_t index, uint8_t* frame);

/// A whole .dl file in memory.
std::vector<uint8_t> GenerateV4Bytes(const SampleLogOptions& options);

/// The sample log straight into columns (time in seconds from the first frame in slot 0, values
/// and statuses in the others, spare element 0), without a file: for benchmarks of big logs.
std::unique_ptr<LogData> GenerateSampleColumns(const SampleLogOptions& options);

/// Writes a .dl file, streaming blocks of frames (a 300,000-frame log never sits in memory).
bool WriteSampleLog(const std::string& path, const SampleLogOptions& options,
                    std::string* error = nullptr);
/// Writes the same log compressed as .dlz.
bool WriteSampleDlz(const std::string& path, const SampleLogOptions& options,
                    std::string* error = nullptr);

/// Compresses .dl bytes so that the .dlz decoding (flip, run-length expansion, flip) gives them
/// back. A trailing group of 1 to 3 bytes cannot survive the decoding's word flip and is lost.
std::vector<uint8_t> EncodeDlz(const std::vector<uint8_t>& dlBytes);

/// Streaming form of EncodeDlz: feed the .dl bytes in pieces, collect the .dlz bytes.
class DlzEncoder {
public:
    /// Appends compressed bytes for `size` more input bytes to `out`.
    void Feed(const uint8_t* data, size_t size, std::vector<uint8_t>& out);
    /// Flushes the pending run and pads the stream to whole words.
    void Finish(std::vector<uint8_t>& out);

private:
    void PutRle(uint8_t byte, std::vector<uint8_t>& out);
    void FlushRun(std::vector<uint8_t>& out);
    void Emit(uint8_t byte, std::vector<uint8_t>& out);

    uint8_t m_word[4] = {};  // input word being collected
    int m_wordFill = 0;
    int m_runByte = -1;  // byte value of the pending run, -1 for none
    int m_runLength = 0;
    uint8_t m_outWord[4] = {};  // compressed bytes waiting for a whole word
    int m_outFill = 0;
};

}  // namespace quillon
