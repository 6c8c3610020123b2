#pragma once
/// Logs for the core tests: read from bytes, or filled by hand like the reader's columns.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/DataLogFile.h"
#include "model/GraphConfiguration.h"
#include "samplegen/SampleLog.h"
#include "texts/FailureText.h"

namespace quillon::test {

inline uint32_t Bits(float v) {
    return std::bit_cast<uint32_t>(v);
}

/// Reads a log as the programs do, its columns made on demand; a failure fails the test.
inline LogData ReadLazily(const std::string& path, bool mapping = false,
                          std::vector<int> wanted = {}) {
    LogData log;
    ReadOptions options;
    options.allColumns = false;
    options.allowMapping = mapping;
    options.wantedSlots = std::move(wanted);
    const Result r = ReadDataLog(path, log, {}, options);
    EXPECT_TRUE(r.ok()) << FailureText(r);
    return log;
}

/// A sample log with what the readers must transform: a zero first timestamp, statuses in every
/// Diag slot and its neighbours (slot s has status s), a NaN, and a partial trailing frame.
inline std::vector<uint8_t> AwkwardLog(int frames, int trailing = 1000) {
    SampleLogOptions o{.frames = frames, .trailingBytes = trailing, .zeroTime = 1.5f};
    std::vector<uint8_t> bytes = GenerateV4Bytes(o);
    auto frame = [&](int i) { return bytes.data() + kFramesOffset + kFrameSize * size_t(i); };
    StoreU64(frame(0), 0);
    for (int i = 0; i < frames; ++i)
        for (int s = kFirstDiagSlot - 1; s <= kLastDiagSlot + 1; ++s)
            StoreU32(frame(i) + 8 * s + 4, uint32_t(s));
    StoreF32(frame(2) + 8 * 5, std::nanf(""));
    StoreF32(frame(frames - 1) + 8 * 7, -3.5e30f);
    return bytes;
}

/// The log that the memory reader makes of `bytes`; a failure fails the test.
inline LogData Load(const std::vector<uint8_t>& bytes) {
    LogData log;
    const Result r = ReadDataLogBytes(bytes.data(), bytes.size(), log);
    EXPECT_TRUE(r.ok()) << FailureText(r);
    return log;
}

/// Gives `log` n frames with values fill(slot, frame) and status 0; each column has the reader's
/// spare element, holding `spare` so that a read past the frames shows.
inline void FillLog(LogData& log, int n, const std::function<float(int, int)>& fill,
                    float spare = 777.0f) {
    log.frameCount = n;
    for (int s = 0; s < kSlotCount; ++s) {
        log.values[s].Allocate(size_t(n) + 1);
        log.status[s].Allocate(size_t(n) + 1);
        for (int i = 0; i <= n; ++i)
            log.values[s][size_t(i)] = i < n ? fill(s, i) : spare, log.status[s][size_t(i)] = 0;
    }
}

inline std::unique_ptr<LogData> MakeLog(int n, const std::function<float(int, int)>& fill,
                                        float spare = 777.0f) {
    auto log = std::make_unique<LogData>();
    FillLog(*log, n, fill, spare);
    return log;
}

/// Defines math channel index + 1; over-long texts are cut to their field.
inline void DefineMath(GraphConfiguration& config, int index, const std::string& name,
                       const std::string& formula) {
    MathChannelDefinition& math = config.math[index];
    math = MathChannelDefinition{};
    name.copy(math.name, sizeof math.name - 1);
    formula.copy(math.formula, sizeof math.formula - 1);
}

/// The pieces of `text` between separators (an empty last piece after a final separator).
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
}

}  // namespace quillon::test
