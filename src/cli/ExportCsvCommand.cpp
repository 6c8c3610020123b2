// export-csv: a whole log as comma-separated text, optionally with the math channels of a .graph
// file computed first, as the viewer's File, Export writes it.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "settings/GraphConfigurationFile.h"
#include "analysis/CsvExport.h"
#include "model/DataLogFile.h"
#include "format/DlzCodec.h"
#include "platform/FileSystem.h"
#include "analysis/MathChannels.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "export-csv LOG [-o OUT.csv] [--graph FILE.graph]";

int Fail(const std::string& message) {
    return ReportFailure("export-csv", message);
}

int UsageError(const std::string& message) {
    return ReportUsageError("export-csv", kUsage, message);
}

/// A bar on stderr, redrawn at the progress points of reading or export, when stderr is a
/// terminal.
class ProgressBar {
public:
    explicit ProgressBar(const char* label) : m_label(label), m_enabled(fs::IsTerminal(stderr)) {}
    ProgressCallback Callback() {
        if (!m_enabled) return {};
        return [this](int64_t done, int64_t total) { Draw(done, total); };
    }
    void Finish() const {
        if (m_drawn) std::fprintf(stderr, "\n");
    }

private:
    void Draw(int64_t done, int64_t total) {
        constexpr int kWidth = 40;
        const int filled = total > 0 ? int(done * kWidth / total) : kWidth;
        std::fprintf(stderr, "\r%s [%-*s] %lld/%lld frames", m_label, kWidth,
                     std::string(size_t(filled), '#').c_str(), static_cast<long long>(done),
                     static_cast<long long>(total));
        std::fflush(stderr);
        m_drawn = true;
    }

    const char* m_label;
    bool m_enabled;
    bool m_drawn = false;
};

int RunExportCsv(const CommandArgs& args) {
    std::string logPath, outPath, graphPath;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--graph") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return UsageError(a + " needs a file name");
            (a == "-o" ? outPath : graphPath) = args[++i];
        } else if (logPath.empty() && !a.empty() && a[0] != '-') {
            logPath = a;
        } else {
            return UsageError("unexpected argument '" + a + "'");
        }
    }
    if (logPath.empty()) return UsageError("no log given");

    auto log = std::make_unique<LogData>();
    ProgressBar reading("reading  ");
    const Result loaded = ReadLogFile(logPath, *log, reading.Callback());
    reading.Finish();
    if (!loaded.ok()) return Fail(FailureLine(loaded));

    if (!graphPath.empty()) {
        GraphConfiguration config = DefaultGraphConfiguration();
        if (const Result read = ReadGraphConfigurationFile(graphPath, config); !read)
            return Fail(FailureLine(read));
        ComputeMathChannels(*log, config);
    }

    if (outPath.empty())
        outPath = DefaultCsvPath(IsDlzPath(logPath) ? DlzTargetPath(logPath) : logPath);
    if (fs::SameFile(outPath, logPath))
        return Fail("the output '" + outPath + "' is the log itself");
    if (!graphPath.empty() && fs::SameFile(outPath, graphPath))
        return Fail("the output '" + outPath + "' is the .graph file");

    ProgressBar bar("exporting");
    const Result result = ExportCsv(*log, outPath, bar.Callback());
    bar.Finish();
    if (!result.ok()) return Fail(FailureLine(result, outPath));
    std::printf("%s\n", outPath.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("export-csv", kUsage, RunExportCsv);

}  // namespace

}  // namespace quillon::cli
