#pragma once
/// Math channels: the ten formulas of the graph configuration computed into channels 369 to 378
/// of a log (input channels 71 to 80), with their names, display attributes and min/max/average.

#include <vector>

#include "model/GraphConfiguration.h"
#include "model/LogData.h"

namespace quillon {

inline constexpr int kFirstMathChannel = 369;  // math channel i + 1 drives channel 369 + i
inline constexpr int kFirstMathInput = 71;     // and input entry 71 + i (1-based)

/// How each frame's value is obtained. Both give the same bits; the text path is the plain
/// reference (expand the references, evaluate the text) kept for checks and measurements.
enum class MathEvaluation { kCompiled, kExpandedText };

/// Recomputes all ten math channels of one log from `config`'s definitions: resets the ten input
/// entries, then for each definition with a name and a formula names the entry, sets the
/// channel's axis to autoscale, fills its value (f32) and status (0) for every frame and its
/// minimum, maximum and average. The document calls it for the main log and then, when one is
/// loaded, for the comparison log.
///
/// A frame whose expanded text fails the character check (a referenced value that is not finite)
/// keeps the previous frame's result; the first frame of a log then gets the no-value marker
/// -999999.0. A formula that cannot be expanded (unclosed reference, channel outside 1 to 440, a
/// referenced column shorter than the log) has no value at any frame: every frame gets the
/// marker. A log without frames gets an average of 0.
void ComputeMathChannels(LogData& log, GraphConfiguration& config,
                         MathEvaluation evaluation = MathEvaluation::kCompiled);

/// The channels the defined math channels read (each as often as it is named).
std::vector<int> MathChannelInputs(const GraphConfiguration& config);

}  // namespace quillon
