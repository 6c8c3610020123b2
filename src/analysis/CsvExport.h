#pragma once
/// Export of a whole log as comma-separated text: a line of channel names, a line of units and
/// one line per frame with the point number and every slot's value printed like "%f".

#include <cstddef>
#include <functional>
#include <string>

#include "format/EcuConfigBlock.h"
#include "model/LogData.h"
#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// The name proposed for the export of the log at logPath: in the file name (never a folder
/// name), every ".dl" replaced by ".csv", then every ".DL" replaced by ".csv"; a name holding
/// neither gets ".csv" appended, so that the proposal is never the log itself.
std::string DefaultCsvPath(const std::string& logPath);

/// Line 1 (names) and line 2 (units), each ending in a line feed.
std::string CsvHeaderLines(const EcuConfigBlock& config);

/// The longest text FormatFixed6 writes (-3.4e38 with six decimals) is 47 characters.
inline constexpr size_t kMaxFixed6Length = 48;

/// Writes value as printf("%f", double(value)) would (nan, -nan, inf, -inf included) and
/// returns the end of the text; out needs room for kMaxFixed6Length characters.
char* FormatFixed6(char* out, float value);

/// Writes the CSV text of every frame of log to path. The file is replaced atomically: on any
/// failure the previous file at path is left as it was. progress(done, total) is called with
/// (0, N) first, then after point numbers p as the progress window shows them: every point for
/// N <= 500, else at 1, at N and at every multiple of N / 500. cancelRequested is asked after
/// each progress report; when it answers true the export stops with the kind Cancelled and
/// leaves no file behind. A failure carries "There was an error opening the file" or "There was
/// an error saving the file", and the system's words.
Result ExportCsv(const LogData& log, const std::string& path, const ProgressCallback& progress = {},
                 const std::function<bool()>& cancelRequested = {});

}  // namespace quillon
