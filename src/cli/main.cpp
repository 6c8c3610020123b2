// quillon-cli: batch access to logs without the viewer.
#include <cstdio>
#include <cstdlib>

#include "Version.h"
#include "cli/Command.h"

namespace quillon::cli {

std::map<std::string, CommandEntry>& CommandTable() {
    static std::map<std::string, CommandEntry> table;
    return table;
}

std::string DocumentsFolder() {
    if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg && *xdg) return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/Documents";
    return ".";
}

}  // namespace quillon::cli

static int Usage(FILE* out) {
    std::fprintf(out, "usage: quillon-cli VERB [ARGS]\n       quillon-cli --version\n\nverbs:\n");
    for (const auto& [verb, entry] : quillon::cli::CommandTable())
        std::fprintf(out, "  %s\n", entry.usage.c_str());
    return out == stdout ? 0 : 2;
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage(stderr);
    std::string verb = argv[1];
    if (verb == "-h" || verb == "--help" || verb == "help") return Usage(stdout);
    if (verb == "--version") {
        std::printf("quillon-cli %s\n", quillon::kProgramVersion);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    auto& table = quillon::cli::CommandTable();
    auto it = table.find(verb);
    if (it == table.end()) {
        std::fprintf(stderr, "quillon-cli: unknown verb '%s'\n", verb.c_str());
        return Usage(stderr);
    }
    const quillon::cli::CommandArgs args(argv + 2, argv + argc);
    // "VERB --help" shows the verb's usage; a file of that name can be given as ./--help.
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::printf("usage: quillon-cli %s\n", it->second.usage.c_str());
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return it->second.run(args);
}
