// expand: decodes a .dlz into the .dl beside it (file name lower-cased) and prints its path.
#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/CliSupport.h"
#include "format/DlzCodec.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "expand FILE.dlz";

int RunExpand(const CommandArgs& args) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        std::fprintf(stderr, "usage: %s\n", kUsage);
        return 2;
    }
    const std::string& path = args[0];
    if (!IsDlzPath(path)) {
        std::fprintf(stderr, "quillon-cli expand: '%s' is not a .dlz file\n", path.c_str());
        return 1;
    }
    std::string dl;
    if (const Result expanded = ExpandDlzFile(path, &dl); !expanded) {
        std::fprintf(stderr, "quillon-cli expand: %s\n", FailureLine(expanded).c_str());
        return 1;
    }
    std::printf("%s\n", dl.c_str());
    return 0;
}

const CommandRegistrar registrar("expand", kUsage, RunExpand);

}  // namespace

}  // namespace quillon::cli
