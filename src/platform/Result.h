#pragma once
/// The outcome of a core operation that can fail: what kind of failure it was, and the exact
/// message box the user is to see (caption and text), which the caller shows as it is. The
/// system's own words (a file name, an errno text) travel apart, for the command-line tool.

#include <string>
#include <utility>

namespace quillon {

enum class ErrorKind {
    None,
    CannotOpen,    // the file could not be opened or read
    Unreadable,    // its contents are not a log (too short, truncated, damaged)
    WrongMagic,    // another kind of file
    WrongVersion,  // a log of another layout
    OutOfMemory,
    CannotWrite,
    Cancelled,  // the user stopped the work; nothing was changed
};

struct Result {
    ErrorKind kind = ErrorKind::None;
    std::string caption;  // empty: the application's title
    std::string text;     // the message box text; empty on success
    std::string detail;   // what the system said, for the command-line tool

    bool ok() const { return kind == ErrorKind::None; }
    explicit operator bool() const { return ok(); }
    /// The detail when there is one, else the text: the line a command-line tool prints.
    const std::string& Explanation() const { return detail.empty() ? text : detail; }

    static Result Success() { return {}; }
    static Result Failure(ErrorKind kind, std::string text, std::string detail = {},
                          std::string caption = {}) {
        return {kind, std::move(caption), std::move(text), std::move(detail)};
    }
};

}  // namespace quillon
