// upgrade: converts legacy logs (layouts 1 to 3) into V4 files beside them, printing the
// upgrader's progress lines as they happen.
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "platform/FileSystem.h"
#include "format/LegacyConverter.h"
#include "texts/FailureText.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "upgrade [--overwrite] FILE...";

int RunUpgrade(const CommandArgs& arguments) {
    // An earlier conversion may hold the user's edits: it is replaced only when asked to.
    CommandArgs args;
    bool overwrite = false;
    for (const std::string& arg : arguments)
        if (arg == "--overwrite")
            overwrite = true;
        else
            args.push_back(arg);
    if (args.empty()) {
        std::fprintf(stderr, "usage: %s\n", kUsage);
        return 2;
    }
    // A percentage on a terminal for big files; pipes and logs get the lines only.
    const bool terminal = fs::IsTerminal(stderr);
    int shown = -1;
    auto progress = [&](int64_t done, int64_t total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent == shown) return;
        shown = percent;
        std::fprintf(stderr, "\r%3d%%", percent);
    };
    bool allConverted = true;
    for (const std::string& path : args) {
        std::printf("Converting %s\n", path.c_str());
        std::fflush(stdout);
        shown = -1;
        Result failure;
        bool refused = false;
        const bool ok = ConvertLegacyLog(
            path,
            [&](const std::string& line) {
                refused = refused || line == kLegacyTargetExists;
                if (terminal && shown >= 0) std::fprintf(stderr, "\r    \r");
                shown = -1;
                std::printf("%s\n", line.c_str());
                std::fflush(stdout);
            },
            terminal ? ProgressCallback(progress) : ProgressCallback(), nullptr,
            [overwrite](const std::string&) { return overwrite; }, &failure);
        // The upgrader's lines are the report on stdout; the reason of a failure goes to stderr.
        if (refused) {
            std::fflush(stdout);
            std::fprintf(stderr,
                         "quillon-cli upgrade: %s already exists (--overwrite replaces it)\n",
                         LegacyConvertedPath(path).c_str());
        } else if (!ok) {
            std::fflush(stdout);
            ReportFailure("upgrade", failure.cause == Cause::BadMagic
                                         ? "'" + path + "': " + FailureText(failure)
                                         : FailureText(failure));
        }
        allConverted = allConverted && ok;
    }
    return allConverted && std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("upgrade", kUsage, RunUpgrade);

}  // namespace

}  // namespace quillon::cli
