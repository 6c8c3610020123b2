// align: the time shift that lines a comparison log up with a main log by one channel's data.
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/Alignment.h"
#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/ChannelNaming.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "align MAIN COMPARISON --channel N [--window S] [--json]";

int Fail(const std::string& message) {
    return ReportFailure("align", message);
}

int Usage(const std::string& message) {
    return ReportUsageError("align", kUsage, message);
}

const char* QualityName(AlignmentQuality q) {
    switch (q) {
        case AlignmentQuality::Confident:
            return "confident";
        case AlignmentQuality::Weak:
            return "weak";
        case AlignmentQuality::Flat:
            return "flat";
        case AlignmentQuality::TooShort:
            break;
    }
    return "too short";
}

int RunAlign(const CommandArgs& args) {
    std::string paths[2];
    int given = 0;
    bool json = false;
    AlignmentSetup setup;
    setup.channel = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--channel") {
            if (i + 1 >= args.size() || !ParseChannel(args[i + 1], setup.channel))
                return Usage("the channel must be a number from 1 to 440");
            ++i;
        } else if (a == "--window") {
            float window = 0;
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], window) || !(window > 0))
                return Usage("--window needs a number of seconds above 0");
            setup.window = window;
            ++i;
        } else if (given < 2 && !a.empty() && a[0] != '-') {
            paths[given++] = a;
        } else {
            return Usage("unexpected argument '" + a + "'");
        }
    }
    if (given < 2) return Usage("give a main log and a comparison log");
    if (setup.channel == 0) return Usage("give the channel with --channel");

    LogData logs[2];
    for (int k = 0; k < 2; ++k) {
        if (Result r = ReadLogFile(paths[k], logs[k]); !r.ok()) return Fail(FailureLine(r));
        if (logs[k].frameCount < 2) return Fail("'" + paths[k] + "' holds fewer than 2 frames");
    }
    Alignment found;
    if (Result r = AlignLogs(logs[0], logs[1], setup, found); !r) return Fail(FailureLine(r));

    const bool hasShift =
        found.quality == AlignmentQuality::Confident || found.quality == AlignmentQuality::Weak;
    const std::string shift = hasShift ? JsonNumber(float(found.shift)) : "null";
    if (json) {
        std::printf(
            "{\"shift\":%s,\"correlation\":%s,\"confident\":%s,\"quality\":\"%s\","
            "\"channel\":%d,\"name\":%s,\"window\":%s,\"step\":%s,\"samples\":%d}\n",
            shift.c_str(), JsonNumber(float(found.correlation)).c_str(),
            found.quality == AlignmentQuality::Confident ? "true" : "false",
            QualityName(found.quality), setup.channel,
            JsonText(GetChannelName(logs[0].config, setup.channel)).c_str(),
            JsonNumber(float(setup.window)).c_str(), JsonNumber(float(found.step)).c_str(),
            found.samples);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const std::string name = EscapedBytes(GetChannelName(logs[0].config, setup.channel));
    switch (found.quality) {
        case AlignmentQuality::Confident:
            std::printf("shift %+.3f s (correlation %.3f of %s over %d samples every %.3f s)\n",
                        found.shift, found.correlation, name.c_str(), found.samples, found.step);
            break;
        case AlignmentQuality::Weak:
            std::printf(
                "no confident shift: the best, %+.3f s, correlates only %.3f (%s; %.2f or more "
                "is trusted)\n",
                found.shift, found.correlation, name.c_str(), kConfidentCorrelation);
            break;
        case AlignmentQuality::Flat:
            std::printf("no shift: %s does not vary in one of the logs\n", name.c_str());
            break;
        case AlignmentQuality::TooShort:
            std::printf("no shift: the logs overlap too little within +/-%.3f s\n", setup.window);
            break;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("align", kUsage, RunAlign);

}  // namespace

}  // namespace quillon::cli
