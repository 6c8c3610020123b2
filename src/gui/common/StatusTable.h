#pragma once
/// The 54 status entries that a channel's status word selects: lamp colour, whether the status
/// text replaces the value, and the seven-character status text.

#include <cstdint>

#include <QColor>

namespace quillon {

struct StatusEntry {
    int lamp;          // 0 none, 1 green, 2 yellow, 3 red, 4 blue, 5 grey
    bool forced;       // the display shows the text instead of the value
    const char* text;  // seven characters
};

inline constexpr int kStatusEntryCount = 54;

/// Entry of a status word; words above 53 (and the no-value status) get an entry without a
/// lamp that shows the value, so nothing reads outside the table.
const StatusEntry& GetStatusEntry(uint32_t status);

/// Lamp colour of a lamp code, drawn at alpha 150; codes above 4 are grey.
QColor LampColor(int lamp);

}  // namespace quillon
