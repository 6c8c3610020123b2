// math: the math channels that a .graph file defines, computed over a log, with the statistics
// the viewer shows for them after loading (whole log).
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/GraphConfiguration.h"
#include "settings/GraphConfigurationFile.h"
#include "model/ChannelNaming.h"
#include "analysis/ChannelStatistics.h"
#include "model/LogColumns.h"
#include "model/DataLogFile.h"
#include "format/DataLogFrame.h"
#include "model/LogData.h"
#include "analysis/MathChannels.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "math LOG --graph FILE.graph [--json]";

int Fail(const std::string& message) {
    return ReportFailure("math", message);
}

int UsageError(const std::string& message) {
    return ReportUsageError("math", kUsage, message);
}

int RunMath(const CommandArgs& args) {
    std::string logPath, graphPath;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--graph") {
            if (i + 1 >= args.size()) return UsageError("--graph needs a file");
            graphPath = args[++i];
        } else if (logPath.empty() && (a.empty() || a[0] != '-')) {
            logPath = a;
        } else {
            return UsageError("unexpected argument '" + a + "'");
        }
    }
    if (logPath.empty() || graphPath.empty()) return UsageError("a log and --graph are needed");

    GraphConfiguration config = DefaultGraphConfiguration();
    if (const Result read = ReadGraphConfigurationFile(graphPath, config); !read)
        return Fail(FailureLine(read));
    LogData log;
    const Result loaded = ReadLogFile(logPath, log);
    if (!loaded.ok()) return Fail(FailureLine(loaded));

    // As after loading in the viewer: math channels first, then the whole-log statistics.
    ComputeMathChannels(log, config);
    if (!ComputeLogStats(log, 0, log.frameCount, false, false).ok() || !EnsureDeviations(log).ok())
        return Fail("cannot read '" + logPath + "'");

    if (json) {
        std::printf("{\"log\":%s,\"graph\":%s,\"frames\":%d,\"channels\":[",
                    JsonText(logPath).c_str(), JsonText(graphPath).c_str(), log.frameCount);
    } else {
        std::printf("%s: %d frames, math channels of %s\n", logPath.c_str(), log.frameCount,
                    graphPath.c_str());
    }
    int shown = 0;
    for (int i = 0; i < kMathChannelCount; ++i) {
        const std::string name = MathChannelName(config.math[i]);
        const std::string formula = MathChannelFormula(config.math[i]);
        if (name.empty() || formula.empty()) continue;  // an inactive definition
        const int c = kFirstMathChannel + i;
        const ChannelStats& s = log.stats[c - 1];
        if (json) {
            std::printf(
                "%s\n{\"channel\":%d,\"math\":%d,\"name\":%s,\"formula\":%s,\"minimum\":%s,"
                "\"maximum\":%s,\"average\":%s,\"standardDeviation\":%s,\"start\":%s,\"end\":%s,"
                "\"delta\":%s,\"count\":%u,\"slope\":%s}",
                shown ? "," : "", c, i + 1, JsonText(GetChannelName(log.config, c)).c_str(),
                JsonText(formula).c_str(), JsonNumber(s.minimum).c_str(),
                JsonNumber(s.maximum).c_str(), JsonNumber(s.average).c_str(),
                JsonNumber(s.standardDeviation).c_str(), JsonNumber(s.startValue).c_str(),
                JsonNumber(s.endValue).c_str(), JsonNumber(s.delta).c_str(), s.count,
                JsonNumber(s.slope).c_str());
        } else {
            if (shown == 0)
                std::printf("%4s %-18s %14s %14s %14s %14s %14s %14s %14s %14s  %s\n", "#",
                            "channel", "min", "max", "average", "std dev", "start", "end", "delta",
                            "slope", "formula");
            const std::string format = NumberFormatOf(GetChannelValueFormat(log.config, c));
            std::printf("%4d %-18s", c, EscapedBytes(GetChannelName(log.config, c)).c_str());
            for (float v : {s.minimum, s.maximum, s.average, s.standardDeviation, s.startValue,
                            s.endValue, s.delta, s.slope})
                std::printf(" %14s", v == kNoValue ? "-" : FormatValue(format, v).c_str());
            std::printf("  %s\n", EscapedBytes(formula).c_str());
        }
        ++shown;
    }
    if (json)
        std::printf("\n]}\n");
    else if (shown == 0)
        std::printf("no math channels defined\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("math", kUsage, RunMath);

}  // namespace

}  // namespace quillon::cli
