// The main of a program holding several Qt Test classes: `PROGRAM CLASS [Qt Test options]` runs
// one class, as its own program would with the options alone; without a known class the
// program lists its classes and fails.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "support/QtTestBundle.h"

namespace quillon::test {

namespace {

std::map<std::string, QtTestRun>& Registry() {
    static std::map<std::string, QtTestRun> registry;
    return registry;
}

}  // namespace

bool RegisterQtTest(const char* name, QtTestRun run) {
    Registry()[name] = run;
    return true;
}

}  // namespace quillon::test

int main(int argc, char** argv) {
    const auto& registry = quillon::test::Registry();
    const auto found = argc >= 2 ? registry.find(argv[1]) : registry.end();
    if (found == registry.end()) {
        std::fprintf(stderr, "usage: %s CLASS [Qt Test options]; classes:\n", argv[0]);
        for (const auto& entry : registry)
            std::fprintf(stderr, "  %s\n", entry.first.c_str());
        return 2;
    }
#ifdef _WIN32
    // Wine passes no QT_ variables from the test runner: the tests always run offscreen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("QT_QPA_FONTDIR") && qEnvironmentVariableIsSet("WINDIR"))
        qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif
    // The class name is taken out, so that Qt Test sees its own options only.
    for (int i = 1; i + 1 < argc; ++i)
        argv[i] = argv[i + 1];
    argv[argc - 1] = nullptr;
    return found->second(argc - 1, argv);
}
