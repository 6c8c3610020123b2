#pragma once
/// The 2 x 7 table drawn in the chart: headings, and the cursor channel's value, minimum, maximum,
/// average, time and the time under the mouse.

#include <array>
#include <string>

#include "gui/chart/ChartModel.h"
#include "model/LogData.h"

namespace quillon {

class CursorTable {
public:
    static constexpr int kColumns = 7;
    /// Row 0: the headings, each with its trailing space (column 0 is empty).
    static const std::array<const char*, kColumns> kHeadings;
    /// Column widths in character units.
    static const std::array<int, kColumns> kWidths;

    CursorTable() { Reset(); }
    /// Row 1 as it starts: " " in column 0, "- " in columns 1 to 6.
    void Reset();
    /// Clears the cursor figures (columns 0 to 5); the mouse time stays.
    void ClearCursor();
    /// Fills columns 0 to 5 for item `item`'s main or comparison curve at `frame`; clears them
    /// when the frame is negative or the item has no channel. The stored texts are bytes in the
    /// log's code page.
    void SetCursor(const ChartModel& model, int item, bool comparison, int frame,
                   const LogData& main, const LogData* comparisonLog);
    /// Column 6: "[%.3f sec]" while the mouse is inside the plotting area, else "- ".
    void SetMouseTime(bool inside, double t);

    const std::string& Cell(int column) const { return m_row[static_cast<size_t>(column)]; }
    const std::array<std::string, kColumns>& Row() const { return m_row; }

private:
    std::array<std::string, kColumns> m_row;
};

}  // namespace quillon
