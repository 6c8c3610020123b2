// crop: keeps the frames of a log between the frames nearest to two times (a start point and
// an end point) and writes them to a new file; the input is never changed.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Command.h"
#include "model/DataLogFile.h"
#include "model/ZeroTime.h"

namespace quillon::cli {

namespace {

constexpr char kUsage[] = "crop LOG [--start SECONDS] [--end SECONDS] [-o OUT]";

int Fail(const std::string& message) {
    return ReportFailure("crop", message);
}

int Usage(const std::string& message) {
    return ReportUsageError("crop", kUsage, message);
}

int RunCrop(const CommandArgs& args) {
    std::string path, out;
    bool hasStart = false, hasEnd = false;
    float start = 0, end = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--start" || a == "--end") {
            float& value = a == "--start" ? start : end;
            if (i + 1 >= args.size() || !ParseSeconds(args[i + 1], value))
                return Usage(a + " needs a number of seconds");
            (a == "--start" ? hasStart : hasEnd) = true;
            ++i;
        } else if (std::string bad = TakeLogOrOutput(args, i, path, out); !bad.empty()) {
            return Usage(bad);
        }
    }
    if (path.empty()) return Usage("no log given");
    if (!hasStart && !hasEnd) return Usage("give --start, --end or both");

    LogData log;
    std::string target;
    std::string error = ReadLogForEdit(path, out, ".cropped", log, target);
    if (!error.empty()) return Fail(error);

    // Both frames are found on the input's time axis, before the start point rebases it.
    const int n = log.frameCount;
    const int first = hasStart ? NearestFrameAtTime(log, start) : 0;
    const int last = hasEnd ? NearestFrameAtTime(log, end) : n - 1;
    if (first < 0 || last < 0) return Fail("no frame at that time");
    if (first > last) return Fail("the start lies after the end");
    if (hasEnd && !SetEndPoint(log, last)) return Fail("cannot set the end point");
    if (hasStart && !SetStartPoint(log, first)) return Fail("cannot set the start point");
    if (const Result written = WriteDataLog(target, log); !written)
        return Fail(FailureLine(written));
    std::printf("kept frames %d to %d of %d; wrote %s\n", first, last, n, target.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const CommandRegistrar registrar("crop", kUsage, RunCrop);

}  // namespace

}  // namespace quillon::cli
