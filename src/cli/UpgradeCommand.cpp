// upgrade: converts legacy logs (layouts 1 to 3) into V4 files beside them, printing the
// upgrader's progress lines as they happen.
#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "legacy/LegacyConverter.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "upgrade FILE...";

int RunUpgrade(const CommandArgs& args) {
    if (args.empty()) {
        std::fprintf(stderr, "usage: %s\n", kUsage);
        return 2;
    }
    bool allConverted = true;
    for (const std::string& path : args) {
        std::printf("Converting %s\n", path.c_str());
        std::fflush(stdout);
        const bool ok = ConvertLegacyLog(path, [](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        });
        allConverted = allConverted && ok;
    }
    return allConverted && std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("upgrade", kUsage, RunUpgrade);

}  // namespace

}  // namespace quillon::cli
