#pragma once
/// The single-byte texts of logs, the catalogue and .graph files (Windows-1252) to and from the
/// display's strings.

#include <string>
#include <string_view>

#include <QString>

namespace quillon {

/// Windows-1252 bytes as text; the five bytes the code page leaves unassigned keep their Latin-1
/// control codes, so that a text converted back gives the same bytes.
QString FromAnsi(std::string_view bytes);
/// Text as Windows-1252 bytes; characters outside the code page become '?'.
std::string ToAnsi(const QString& text);

}  // namespace quillon
