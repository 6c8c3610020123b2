// runs: the stretches of a log between a start condition and an end condition, with the
// largest value of a channel in each.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/RunFinder.h"
#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/ChannelNaming.h"
#include "texts/FailureText.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] =
    "runs LOG --start CHANNEL '<'|'>' VALUE --end CHANNEL '<'|'>' VALUE [--min-duration S] "
    "[--max CHANNEL] [--json]";

int Fail(const std::string& message) {
    return ReportFailure("runs", message);
}

int Usage(const std::string& message) {
    return ReportUsageError("runs", kUsage, message);
}

int RunRuns(const CommandArgs& args) {
    std::string path;
    bool json = false, hasStart = false, hasEnd = false;
    RunSearch search;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--start" || a == "--end") {
            RunCondition& c = a == "--start" ? search.start : search.end;
            if (std::string bad = TakeCondition(args, i, c.channel, c.condition, c.value);
                !bad.empty())
                return Usage(bad);
            (a == "--start" ? hasStart : hasEnd) = true;
        } else if (a == "--min-duration") {
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], search.minDuration) ||
                search.minDuration < 0)
                return Usage("--min-duration needs a number of seconds, 0 or more");
            ++i;
        } else if (a == "--max") {
            if (i + 1 >= args.size() || !ParseChannel(args[i + 1], search.maxChannel))
                return Usage("the channel must be a number from 1 to 440");
            ++i;
        } else if (path.empty() && !a.empty() && a[0] != '-') {
            path = a;
        } else {
            return Usage("unexpected argument '" + a + "'");
        }
    }
    if (path.empty()) return Usage("no log given");
    if (!hasStart || !hasEnd) return Usage("give both --start and --end");
    // Without --max, the largest value of the start condition's channel.
    if (search.maxChannel == 0) search.maxChannel = search.start.channel;

    LogData log;
    if (Result r = ReadLogFile(path, log); !r.ok()) return Fail(FailureLine(r));
    std::vector<Run> runs;
    if (Result found = FindRuns(log, search, runs); !found) return Fail(FailureLine(found));

    const std::string format = NumberFormatOf(GetChannelValueFormat(log.config, search.maxChannel));
    if (json) {
        std::printf("{\"runs\":[");
        for (size_t k = 0; k < runs.size(); ++k) {
            const Run& r = runs[k];
            std::printf(
                "%s\n{\"start\":%s,\"end\":%s,\"duration\":%s,\"startFrame\":%d,"
                "\"endFrame\":%d,\"endFound\":%s,\"maximum\":%s}",
                k ? "," : "", JsonNumber(r.start).c_str(), JsonNumber(r.end).c_str(),
                JsonNumber(float(r.duration)).c_str(), r.firstFrame, r.lastFrame,
                r.endFound ? "true" : "false", JsonNumber(r.maximum).c_str());
        }
        std::printf("%s],\"maximumChannel\":%d,\"maximumName\":%s}\n", runs.empty() ? "" : "\n",
                    search.maxChannel,
                    JsonText(GetChannelName(log.config, search.maxChannel)).c_str());
    } else {
        std::printf("%s: %zu run%s of %d frames\n", path.c_str(), runs.size(),
                    runs.size() == 1 ? "" : "s", log.frameCount);
        if (!runs.empty()) {
            const std::string maxTitle =
                "max " + EscapedBytes(GetChannelName(log.config, search.maxChannel));
            std::printf("%4s %12s %12s %12s %12s  %s\n", "#", "start", "end", "duration", "frames",
                        maxTitle.c_str());
        }
        for (size_t k = 0; k < runs.size(); ++k) {
            const Run& r = runs[k];
            const std::string frames =
                std::to_string(r.firstFrame) + "-" + std::to_string(r.lastFrame);
            std::printf("%4zu %12.3f %12.3f %12.3f %12s  %s%s\n", k + 1, double(r.start),
                        double(r.end), r.duration, frames.c_str(),
                        FormatValue(format, r.maximum).c_str(),
                        r.endFound ? "" : "  (to the log's end)");
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("runs", kUsage, RunRuns);

}  // namespace

}  // namespace quillon::cli
