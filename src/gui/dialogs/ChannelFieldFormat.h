#pragma once
/// How a numeric field shows a channel's values: its display and edit formats and its step.

#include <string>

#include <QString>

namespace quillon {

struct ChannelFieldFormat {
    QString display;  // the value format with its unit ("%.1f A/F")
    QString edit;     // the same cut after its first "f" ("%.1f")
    double step = 1;  // 0.1 for one decimal, 0.01 for two, else 1
};

/// The field format of a channel value format taken from the catalogue or a log.
ChannelFieldFormat ChannelFieldFormatOf(const std::string& valueFormat);

}  // namespace quillon
