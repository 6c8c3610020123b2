// quillon-cli: batch access to logs without the viewer.
#include <cstdio>
#include <cstdlib>

#include "Version.h"
#include "cli/Command.h"
#include "platform/FileSystem.h"

namespace quillon::cli {

std::map<std::string, CommandEntry>& CommandTable() {
    static std::map<std::string, CommandEntry> table;
    return table;
}

std::string DocumentsFolder() {
    return fs::DocumentsFolder();
}

}  // namespace quillon::cli

static int Usage(FILE* out) {
    std::fprintf(out, "usage: quillon-cli VERB [ARGS]\n       quillon-cli --version\n\nverbs:\n");
    for (const auto& [verb, entry] : quillon::cli::CommandTable())
        std::fprintf(out, "  %s\n", entry.usage.c_str());
    return out == stdout ? 0 : 2;
}

int main(int argc, char** argv) {
    quillon::fs::PrepareStandardStreams();
    const std::vector<std::string> argument = quillon::fs::Arguments(argc, argv);
    if (argument.size() < 2) return Usage(stderr);
    const std::string& verb = argument[1];
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
    const quillon::cli::CommandArgs args(argument.begin() + 2, argument.end());
    // "VERB --help" shows the verb's usage; a file of that name can be given as ./--help.
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::printf("usage: quillon-cli %s\n", it->second.usage.c_str());
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    return it->second.run(args);
}
