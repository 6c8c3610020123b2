// zero: sets a log's zero time at the frame nearest to a time, or where a channel first crosses
// a trigger (auto zero), and writes the result to a new file; the input is never changed.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/DataLogFile.h"
#include "model/LogStore.h"
#include "format/DlzCodec.h"
#include "model/ZeroTime.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "zero LOG (--at SECONDS | --when CHANNEL '<'|'>' VALUE) [-o OUT]";

int Fail(const std::string& message) {
    return ReportFailure("zero", message);
}

int Usage(const std::string& message) {
    return ReportUsageError("zero", kUsage, message);
}

int RunZero(const CommandArgs& args) {
    std::string path, out;
    bool hasAt = false, hasWhen = false;
    float at = 0, trigger = 0;
    int channel = 0;
    uint32_t condition = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--at") {
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], at))
                return Usage("--at needs a number of seconds");
            hasAt = true;
            ++i;
        } else if (a == "--when") {
            if (std::string bad = TakeCondition(args, i, channel, condition, trigger); !bad.empty())
                return Usage(bad);
            hasWhen = true;
        } else if (std::string bad = TakeLogOrOutput(args, i, path, out); !bad.empty()) {
            return Usage(bad);
        }
    }
    if (path.empty()) return Usage("no log given");
    if (hasAt == hasWhen) return Usage("give either --at or --when");

    LogData log;
    std::string target;
    std::string error = ReadLogForEdit(path, out, ".zeroed", log, target);
    if (!error.empty()) return Fail(error);

    int frame = -1;
    if (hasAt) {
        frame = NearestFrameAtTime(log, at);
        if (frame < 0 || !SetZeroTimeAtFrame(log, frame)) return Fail("no frame at that time");
    } else {
        frame = AutoZero(log, channel, condition, trigger);
        if (frame == kAutoZeroReadFailed)
            return Fail(log.source.store && log.source.store->Broken()
                            ? FailureLine(log.source.store->BrokenFailure())
                            : "not enough memory to search '" + path + "'");
        if (frame < 0)
            return Fail(std::string(kAutoZeroFailedCaption) + ": " + kConditionNotFoundText);
    }
    if (const Result written = WriteDataLog(target, log); !written)
        return Fail(FailureLine(written));
    std::printf("zero time %.3f s (frame %d); wrote %s\n",
                double(log.header.Get(DataLogHeader::zeroTime)), frame, target.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("zero", kUsage, RunZero);

}  // namespace

}  // namespace quillon::cli
