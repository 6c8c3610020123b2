// Runs one fuzz target over every file of the folders given after its name, so that the saved
// corpus is replayed by CTest without libFuzzer: fuzz_replay TARGET FOLDER...
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzTargets.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const FuzzTarget* target = nullptr;
    for (const FuzzTarget& t : kFuzzTargets)
        if (argc >= 2 && std::strcmp(argv[1], t.name) == 0) target = &t;
    if (!target) {
        std::fprintf(stderr, "usage: %s TARGET FOLDER...; targets:\n", argv[0]);
        for (const FuzzTarget& t : kFuzzTargets)
            std::fprintf(stderr, "  %s\n", t.name);
        return 2;
    }
    int count = 0;
    for (int a = 2; a < argc; ++a) {
        std::error_code ec;
        if (!fs::is_directory(argv[a], ec)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(argv[a], ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            target->run(bytes.data(), bytes.size());
            ++count;
        }
    }
    // An empty input is always worth one run.
    target->run(nullptr, 0);
    std::printf("replayed %d inputs\n", count + 1);
    return 0;
}
