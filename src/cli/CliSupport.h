#pragma once
/// Pieces every verb of the command-line tool shares: reading a log (.dl, or .dlz decoded in
/// memory), number arguments, JSON and terminal texts of the logs' single-byte strings.

#include <cstdint>
#include <string>
#include <vector>

#include "model/DataLogFile.h"
#include "model/LogData.h"
#include "platform/Progress.h"

namespace quillon::cli {

/// Reads a log, or a compressed log decoded in memory (nothing is written beside it), as its
/// first bytes tell. A failure names the file (FailureLine words it).
Result ReadLogFile(const std::string& path, LogData& log, const ProgressCallback& progress = {});

/// The command line's words for a failure: the system's sentence, with the viewer's question
/// about running the conversion tool turned into advice. `target` is the output a CSV export
/// was to write.
std::string FailureLine(const Result& failure, const std::string& target = {});

/// Prints "quillon-cli VERB: MESSAGE" on stderr; returns 1, the exit status of a failure.
int ReportFailure(const char* verb, const std::string& message);
/// The same followed by the verb's usage line; returns 2, the exit status of a usage error.
int ReportUsageError(const char* verb, const char* usage, const std::string& message);

/// A number of seconds (or any value) with an optional leading '+', finite in single precision.
bool ParseSeconds(const std::string& text, float& out);

/// A channel number from 1 to 440, nothing else in the text.
bool ParseChannel(const std::string& text, int& out);

/// Takes the condition "CHANNEL '<'|'>' VALUE" that follows the option args[i] (--when,
/// --start, --end): `i` moves past it. Empty when taken, else the usage error to report.
std::string TakeCondition(const std::vector<std::string>& args, size_t& i, int& channel,
                          uint32_t& condition, float& value);

/// Code point of a Windows-1252 byte (bytes without a character keep their value).
uint32_t Cp1252CodePoint(uint8_t c);
/// A single-byte log text as UTF-8 for the terminal.
std::string Utf8FromCp1252(const std::string& text);
/// A single-byte log text as UTF-8 for the terminal, its control characters (C0, DEL and the C1
/// codes the code page leaves as they are) written as \xNN, so that a file cannot send escape
/// sequences to the terminal.
std::string TerminalText(const std::string& text);
/// The bytes of a log text as they are, only its control bytes written as \xNN.
std::string EscapedBytes(const std::string& text);
/// A quoted JSON string of a single-byte log text.
std::string JsonText(const std::string& text);
/// A JSON number, or null for values that are not finite.
std::string JsonNumber(float value);

/// The output path of an editing verb: `out` when given, else the input's name with `suffix`
/// before ".dl", beside it. Empty (with a message) when it would name the input itself.
std::string EditedLogPath(const std::string& in, const std::string& out, const std::string& suffix,
                          std::string& error);

/// Takes args[i] when it is the input log or "-o OUT" of an editing verb (`i` moves past the
/// value). Empty when taken, else the usage error to report.
std::string TakeLogOrOutput(const std::vector<std::string>& args, size_t& i, std::string& path,
                            std::string& out);

/// Names the output of an editing verb (EditedLogPath) and reads its input, which must hold
/// frames. Empty when both succeed, else the failure to report.
std::string ReadLogForEdit(const std::string& path, const std::string& out,
                           const std::string& suffix, LogData& log, std::string& target);

}  // namespace quillon::cli
