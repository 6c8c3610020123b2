#pragma once
/// Channel references in math channel formulas: "[" + a channel number + "]", replaced by the
/// channel's value before the formula is evaluated.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

/// The channel named by the text between a reference's brackets: a run of decimal digits (any
/// number of leading zeros) naming 1 to 440. 0 for anything else, an empty text included.
int ParseChannelReference(std::string_view digits);

/// The value of a channel at the frame being computed; nullopt when the channel has none there.
using ChannelValueSource = std::function<std::optional<float>(int channel)>;

/// Replaces every reference, first to last, by "(" + the value printed with "%f" + ")".
/// nullopt when a reference has no closing "]", does not name a channel 1 to 440, or the source
/// has no value for it: such a formula cannot be expanded at all, never in part. The expanded
/// text is not limited in length.
std::optional<std::string> ExpandFormula(std::string_view formula,
                                         const ChannelValueSource& valueOf);

}  // namespace quillon
