#pragma once
/// Conversions between the core's byte texts and Qt strings: texts from log files are
/// Windows-1252 (FromAnsi), paths and messages that carry them are the file system's UTF-8.

#include <string>

#include <QString>

namespace quillon {

/// UTF-8 when the bytes are valid UTF-8 (paths, messages naming them), else Windows-1252.
QString FromCoreText(const std::string& bytes);
/// A path for the core's file functions (the file system's encoding).
std::string ToCorePath(const QString& path);
/// A path from the core as a QString.
QString FromCorePath(const std::string& path);

}  // namespace quillon
