#pragma once
/// What the benchmark programs share: a scratch folder and sample logs generated once into it
/// and kept for later runs.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "format/DataLogFrame.h"
#include "samplegen/SampleLog.h"

namespace quillon::bench {

/// Every opening measured reads its log: the summary cache is off unless the caller of the
/// program chose a folder for it.
inline const bool kNoSummaryCache = [] {
#ifdef _WIN32
    if (!std::getenv("QUILLON_SUMMARY_CACHE")) _putenv_s("QUILLON_SUMMARY_CACHE", "off");
#else
    setenv("QUILLON_SUMMARY_CACHE", "off", 0);
#endif
    return true;
}();

/// $QUILLON_BENCH_DIR (default: the temporary folder) / name, created when missing.
inline std::filesystem::path BenchFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const char* chosen = std::getenv("QUILLON_BENCH_DIR");
    fs::path folder = (chosen && *chosen ? fs::path(chosen) : fs::temp_directory_path()) / name;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

/// A sample log of `frames` frames in `folder`, written unless a file of the right size is there.
inline std::string CachedSampleLog(const std::filesystem::path& folder, int frames) {
    namespace fs = std::filesystem;
    const std::string path = (folder / ("bench-" + std::to_string(frames) + ".dl")).string();
    std::error_code ec;
    if (fs::file_size(path, ec) != kFramesOffset + uint64_t(frames) * kFrameSize) {
        SampleLogOptions options;
        options.frames = frames;
        WriteSampleLog(path, options);
    }
    return path;
}

}  // namespace quillon::bench
