#pragma once
/// A histogram or table of one channel (Z) binned by one or two others (X across, Y down),
/// built in one pass over the frames of a log, with an optional filter channel.
///
/// Bin rule: edges e0 < e1 < ... < en make n bins; bin i holds the values v with
/// e(i) <= v < e(i+1), so a value on an inner edge belongs to the bin above it, and the last edge
/// closes the last bin (v == en lands in bin n - 1). Values below e0 or above en are in no bin.
/// A frame counts when its X (and Y) value is in a bin, its filter value lies within the bounds
/// (both inclusive), and none of the chosen channels holds the no-value marker or a value that is
/// not finite.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/FrameSelection.h"
#include "model/LogData.h"
#include "platform/Result.h"

namespace quillon {

enum class TableFunction { Average, Minimum, Maximum, Count, StandardDeviation };

struct ChannelTableSetup {
    int xChannel = 2;  // RPM
    std::vector<float> xEdges;
    int yChannel = 0;  // 0: a one-row table
    std::vector<float> yEdges;
    int zChannel = 9;  // AFR Average
    TableFunction function = TableFunction::Average;
    int filterChannel = 0;  // 0: no filter
    float lower = 0.0f;     // filter bounds, both kept
    float upper = 0.0f;
    /// Only these frames are binned (the selection); null: every frame.
    std::shared_ptr<const FrameSelection> frames;
};

/// The columns a table is built from, each holding at least `count` values.
struct ChannelTableColumns {
    const float* x = nullptr;
    const float* y = nullptr;
    const float* z = nullptr;
    const float* filter = nullptr;
    size_t count = 0;
};

class ChannelTable {
public:
    /// Most bins one axis may have.
    static constexpr int kMaxBins = 1000;

    /// Edges from `from` to `to` every `step`: from, from + step, ... up to the first edge at or
    /// beyond `to` (so `to` is always covered). Empty when step is not positive, to <= from,
    /// a value is not finite, or more than kMaxBins bins would result.
    static std::vector<float> MakeEdges(double from, double to, double step);
    /// A round step (1, 2, 2.5 or 5 times a power of ten) giving about `bins` bins over
    /// minimum..maximum, and the multiples of it that enclose that range.
    struct Range {
        double from = 0.0;
        double to = 1.0;
        double step = 1.0;
    };
    static Range NiceRange(double minimum, double maximum, int bins);
    /// Edges typed as numbers separated by spaces, commas, semicolons or tabs; nothing when a
    /// word is not a number, fewer than two edges are given, they do not rise strictly, or more
    /// than kMaxBins bins would result.
    static std::optional<std::vector<float>> ParseEdges(std::string_view text);
    /// The bin of v among edges (the rule above), -1 when it is in none.
    static int BinOf(const std::vector<float>& edges, float v);

    /// Bins the first frameCount frames of log (the columns' length bounds it). False with a
    /// message when a channel number is out of range or an axis has fewer than two edges, and
    /// false with ReadFailure() when the columns could not be made from the log's file; the
    /// previous table is then cleared.
    bool Build(LogData& log, int frameCount, const ChannelTableSetup& setup,
               std::string* error = nullptr);
    /// The same over plain columns: the setup's channel numbers are checked and name the table,
    /// the values come from `columns` (y and filter only when the setup has them).
    bool Build(const ChannelTableColumns& columns, const ChannelTableSetup& setup,
               std::string* error = nullptr);

    /// Why the last Build could not read its columns (the file changed or failed, or memory ran
    /// out); a success otherwise.
    const Result& ReadFailure() const { return m_readFailure; }

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    const ChannelTableSetup& Setup() const { return m_setup; }
    /// Frames behind a cell, and every frame that counted.
    int64_t Count(int column, int row) const { return m_count[Index(column, row)]; }
    int64_t TotalCount() const { return m_total; }
    /// The function's value for a cell; nothing for a cell without frames. The standard
    /// deviation is the population one, as in the statistics.
    std::optional<double> Value(int column, int row) const;
    /// Smallest and largest cell value (nothing when every cell is empty).
    std::optional<double> MinValue() const;
    std::optional<double> MaxValue() const;

    /// The table as text: a first line with an empty corner and each X bin's lower edge, then
    /// one line per Y bin with its lower edge (empty for a one-row table) and the cell values
    /// with `decimals` decimals (counts without); empty cells stay empty. Lines end in "\n"
    /// for a tab separator and "\r\n" otherwise (CSV).
    std::string ToText(char separator, int decimals) const;

private:
    size_t Index(int column, int row) const {
        return size_t(row) * size_t(m_columns) + size_t(column);
    }

    ChannelTableSetup m_setup;
    Result m_readFailure;
    int m_columns = 0;
    int m_rows = 0;
    int64_t m_total = 0;
    // Per cell, row after row, and one cell more for the frames that do not count. The sums are
    // of v - m_shift, the first usable Z value, which keeps the squares small.
    double m_shift = 0.0;
    std::vector<int64_t> m_count;
    std::vector<double> m_sum;
    std::vector<double> m_squares;
    std::vector<float> m_minimum;
    std::vector<float> m_maximum;
};

}  // namespace quillon
