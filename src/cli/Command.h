#pragma once
/// Verbs of the command-line tool. Each verb lives in a file of its own and registers itself
/// with a static CommandRegistrar.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quillon::cli {

using CommandArgs = std::vector<std::string>;
/// Runs a verb on its arguments (the verb itself excluded); returns the exit status.
using CommandFunction = std::function<int(const CommandArgs&)>;

struct CommandEntry {
    std::string usage;
    CommandFunction run;
};

std::map<std::string, CommandEntry>& CommandTable();

struct CommandRegistrar {
    CommandRegistrar(const std::string& verb, const std::string& usage, CommandFunction run) {
        CommandTable()[verb] = CommandEntry{usage, std::move(run)};
    }
};

/// The documents folder: $XDG_DOCUMENTS_DIR, else $HOME/Documents; the shell's on Windows.
std::string DocumentsFolder();

}  // namespace quillon::cli
