// quillon-samplegen: writes a deterministic sample log (.dl, .dlz with --dlz, or an older layout
// 1 to 3 with --legacy N).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "samplegen/LegacyWriter.h"
#include "samplegen/SampleLog.h"

namespace {

int Usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: quillon-samplegen --out PATH [--frames N] [--rate HZ] [--seed S] [--dlz]\n"
                 "                         [--start-ms MS] [--zero-time SEC] [--trailing-bytes N]\n"
                 "                         [--bare] [--legacy 1|2|3]\n");
    return out == stdout ? 0 : 2;
}

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
    quillon::fs::PrepareStandardStreams();
    const std::vector<std::string> argument = quillon::fs::Arguments(argc, argv);
    quillon::SampleLogOptions options;
    std::string out;
    bool dlz = false;
    int legacy = 0;
    for (int a = 1; a < argc; ++a) {
        const std::string& arg = argument[size_t(a)];
        if (arg == "-h" || arg == "--help") return Usage(stdout);
        if (arg == "--dlz") {
            dlz = true;
            continue;
        }
        if (arg == "--bare") {
            options.allFeatures = false;
            continue;
        }
        if (a + 1 >= argc) return Usage(stderr);
        const char* value = argument[size_t(++a)].c_str();
        if (arg == "--out") {
            out = value;
            continue;
        }
        double number = 0;
        if (!ParseNumber(value, number)) {
            std::fprintf(stderr, "quillon-samplegen: '%s' is not a number for %s\n", value,
                         arg.c_str());
            return 2;
        }
        if (arg == "--frames" && number >= 0 && number <= 2e9) {
            options.frames = int(number);
        } else if (arg == "--rate" && number > 0 && number <= 100000) {
            options.rate = number;
        } else if (arg == "--seed" && number >= 0 && number <= 4294967295.0) {
            options.seed = uint32_t(number);
        } else if (arg == "--start-ms" && number >= 0) {
            options.startTimestamp = uint64_t(number);
        } else if (arg == "--zero-time") {
            options.zeroTime = float(number);
        } else if (arg == "--legacy" && (number == 1 || number == 2 || number == 3)) {
            legacy = int(number);
        } else if (arg == "--trailing-bytes" && number >= 0 && number < 3520) {
            options.trailingBytes = int(number);
        } else {
            std::fprintf(stderr, "quillon-samplegen: bad option or value: %s %s\n", arg.c_str(),
                         value);
            return 2;
        }
    }
    if (out.empty()) return Usage(stderr);
    std::string error;
    bool ok = legacy ? quillon::WriteLegacyLog(out, legacy, options, &error)
              : dlz  ? quillon::WriteSampleDlz(out, options, &error)
                     : quillon::WriteSampleLog(out, options, &error);
    if (!ok) {
        std::fprintf(stderr, "quillon-samplegen: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}
