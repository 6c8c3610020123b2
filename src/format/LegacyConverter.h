#pragma once
/// Conversion of a legacy log (layouts 1 to 3) into a new V4 file beside it, reported line by
/// line as the upgrader lists it.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Progress.h"
#include "platform/Result.h"

namespace quillon {

/// Receives each progress line of a conversion, in the order they happen.
using ConversionReport = std::function<void(const std::string& line)>;

inline constexpr const char* kLegacyOpenFailed = "-FAILED:There was an error opening the file";
inline constexpr const char* kLegacyWrongMagic = "-FAILED:Magic Number does not match";
inline constexpr const char* kLegacyUnknownVersion = "-VERSION:Unknown - upgrade not done";
inline constexpr const char* kLegacyAlreadyV4 = "-VERSION:V4 - upgrade not required";
inline constexpr const char* kLegacyTooShort =
    "-FAILED:The file is too short for its header and configuration";
inline constexpr const char* kLegacyReadFailed = "-FAILED:There was an error reading the file";
inline constexpr const char* kLegacyNoMemory = "-FAILED: pFrames memory";
inline constexpr const char* kLegacyReadComplete = "-READ: logfile read complete";
inline constexpr const char* kLegacyCreateFailed =
    "-FAILED:There was an error opening the new file to write";
inline constexpr const char* kLegacyTargetExists = "-FAILED:The converted file already exists";
inline constexpr const char* kLegacyWriting = "-WRITE: logfile writing";
inline constexpr const char* kLegacyWriteFailed = "-FAILED:There was an error writing the new file";
inline constexpr const char* kLegacyComplete = "-WRITE: conversion complete";

/// The path of the V4 file made from `path`: in the file name (never in a folder name) every
/// ".dl", then every ".DL", becomes ".V4.dl"; a name holding neither gets ".V4.dl" appended, so
/// the result never names the source.
std::string LegacyConvertedPath(const std::string& path);

/// Converts one file. True when the new file was written or the file is already V4; false on
/// every failure, each reported as one line, and *failure then says why (the system's reason
/// included). `progress` counts frames. The new file is written atomically, and only when the
/// source was the same file, unchanged, from the first byte read to the last; the source is
/// never changed. *newPath receives the path written. An existing converted file (which may hold
/// the user's edits) is replaced only when `mayReplace(its path)` says so; otherwise it is
/// reported with kLegacyTargetExists and left alone.
using ReplaceQuestion = std::function<bool(const std::string& path)>;
bool ConvertLegacyLog(const std::string& path, const ConversionReport& report,
                      const ProgressCallback& progress = {}, std::string* newPath = nullptr,
                      const ReplaceQuestion& mayReplace = {}, Result* failure = nullptr);

/// The same conversion over a whole legacy file's bytes in memory: `out` receives the V4 file's
/// bytes (nothing when the bytes are V4 already). The lines are those of ConvertLegacyLog but the
/// ones about opening and writing files, which cannot happen here.
bool ConvertLegacyBytes(std::span<const uint8_t> in, const ConversionReport& report,
                        std::vector<uint8_t>& out);

}  // namespace quillon
