// stats: the statistics of every available channel of a log, over the whole log or over the
// frames from the one nearest to a first time to the one nearest to a second.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "settings/CPrefs.h"
#include "settings/GraphConfigurationFile.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "analysis/ChannelStatistics.h"
#include "model/LogColumns.h"
#include "model/FrameAtTime.h"
#include "analysis/MathChannels.h"
#include "model/LogStore.h"
#include "texts/FailureText.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] =
    "stats LOG [--from SECONDS] [--to SECONDS] [--json]  (frames nearest to both times included)";

int Fail(const std::string& message) {
    return ReportFailure("stats", message);
}

int RunStats(const CommandArgs& args) {
    std::string path;
    bool json = false;
    bool hasFrom = false, hasTo = false;
    float from = 0, to = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--from" || a == "--to") {
            float& target = a == "--from" ? from : to;
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], target)) {
                std::fprintf(stderr, "quillon-cli stats: %s needs a number of seconds\nusage: %s\n",
                             a.c_str(), kUsage);
                return 2;
            }
            (a == "--from" ? hasFrom : hasTo) = true;
            ++i;
        } else if (path.empty() && (a.empty() || a[0] != '-')) {
            path = a;
        } else {
            std::fprintf(stderr, "quillon-cli stats: unexpected argument '%s'\nusage: %s\n",
                         a.c_str(), kUsage);
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage: %s\n", kUsage);
        return 2;
    }

    // The math channels of the viewer's current configuration, so that they are computed as the
    // viewer shows them. A .dlz is decoded in memory: nothing is written beside the input.
    const CPrefs prefs(DocumentsFolder(), true);  // a report writes nothing
    GraphConfiguration config = DefaultGraphConfiguration();
    ReadGraphConfigurationFile(prefs.GetLastDataLogConfig(), config);
    LogData log;
    if (Result r = ReadLogFile(path, log); !r.ok()) return Fail(FailureLine(r));
    const int n = log.frameCount;
    if (n <= 0) return Fail("'" + path + "' holds no frames");
    ComputeMathChannels(log, config);
    // As "Update Stats" on a zoomed chart: from the frame nearest to the first time to the frame
    // nearest to the second, both included.
    const int first = hasFrom ? NearestFrameAtTime(log, from) : 0;
    const int stop = hasTo ? NearestFrameAtTime(log, to) + 1 : n;
    if (first < 0 || stop <= first) return Fail("the time range holds no frames");
    // The whole log's figures came with the reading pass but for the deviations.
    Result figures = first == 0 && stop == n ? ComputeLogStats(log, 0, n, false, false)
                                             : ComputeLogStats(log, first, stop);
    if (figures.ok()) figures = EnsureDeviations(log);
    // A file that changed or failed under any pass (the math channels' included) says so.
    if (figures.ok() && log.source.store && log.source.store->Broken())
        figures = log.source.store->BrokenFailure();
    if (!figures.ok()) {
        const std::string line = FailureText(figures);
        return Fail(line.empty() ? "cannot read '" + path + "'" : line);
    }

    const float* time = log.values[0].data();
    if (json) {
        std::printf("{\"log\":%s,\"frames\":%d,\"first\":%d,\"end\":%d,\"channels\":[",
                    JsonText(path).c_str(), n, first, stop);
    } else {
        std::printf("%s: frames %d to %d of %d (%.3f s to %.3f s)\n", path.c_str(), first, stop - 1,
                    n, static_cast<double>(time[first]), static_cast<double>(time[stop - 1]));
        std::printf("%4s %-24s %12s %12s %12s %12s %12s %12s %12s %12s\n", "#", "channel", "min",
                    "max", "average", "std dev", "start", "end", "delta", "slope");
    }
    bool firstRow = true;
    for (int c = 1; c <= kChannelCount; ++c) {
        if (!IsChannelAvailable(log, c)) continue;
        const ChannelStats& s = log.stats[c - 1];
        const std::string name = GetChannelName(log.config, c);
        if (json) {
            std::printf(
                "%s\n{\"channel\":%d,\"name\":%s,\"unit\":%s,\"minimum\":%s,\"maximum\":%s,"
                "\"average\":%s,\"standardDeviation\":%s,\"start\":%s,\"end\":%s,\"delta\":%s,"
                "\"count\":%u,\"slope\":%s}",
                firstRow ? "" : ",", c, JsonText(name).c_str(),
                JsonText(GetChannelUnit(log.config, c)).c_str(), JsonNumber(s.minimum).c_str(),
                JsonNumber(s.maximum).c_str(), JsonNumber(s.average).c_str(),
                JsonNumber(s.standardDeviation).c_str(), JsonNumber(s.startValue).c_str(),
                JsonNumber(s.endValue).c_str(), JsonNumber(s.delta).c_str(), s.count,
                JsonNumber(s.slope).c_str());
        } else {
            const std::string format = NumberFormatOf(GetChannelValueFormat(log.config, c));
            std::printf("%4d %-24s", c, EscapedBytes(name).c_str());
            for (float v : {s.minimum, s.maximum, s.average, s.standardDeviation, s.startValue,
                            s.endValue, s.delta, s.slope})
                std::printf(" %12s", FormatValue(format, v).c_str());
            std::printf("\n");
        }
        firstRow = false;
    }
    if (json) std::printf("\n]}\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("stats", kUsage, RunStats);

}  // namespace

}  // namespace quillon::cli
