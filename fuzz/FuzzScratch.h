#pragma once
// A scratch folder of the fuzz process for targets whose parser takes a path: on a memory file
// system when there is one, removed at exit.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

inline const std::string& FuzzScratchFolder() {
    // Kept for the whole run (never destroyed), so that the clean-up at exit can still use it.
    static const std::string& folder = *new std::string([] {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path dir = base / ("quillon-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir, ec);
        std::atexit([] {
            std::error_code e;
            fs::remove_all(FuzzScratchFolder(), e);
        });
        return dir.string();
    }());
    return folder;
}

inline bool WriteFuzzFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    return bool(out);
}
