#include "formula/MathChannels.h"

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "config/GraphConfigurationFile.h"
#include "datalog/DataLogFrame.h"
#include "formula/CompiledFormula.h"
#include "formula/EvaluateExpression.h"
#include "formula/FormulaExpansion.h"

namespace quillon {

namespace {

using Block = EcuConfigBlock;

bool HasFrames(const Column<float>& column, size_t frames) {
    return column.data() != nullptr && column.size() >= frames;
}

// Fills one math channel's column; `evaluate(frame, result)` leaves result untouched when the
// frame's text fails the character check, so a frame keeps the previous frame's result.
template <class Evaluate>
void FillChannel(LogData& log, int channel, size_t frames, Evaluate&& evaluate) {
    float* values = log.values[channel - 1].data();
    uint32_t* status = log.status[channel - 1].data();
    float minimum = std::numeric_limits<float>::max();
    float maximum = -std::numeric_limits<float>::max();
    float sum = 0.0f;
    double result = kNoValue;
    for (size_t f = 0; f < frames; ++f) {
        evaluate(f, result);
        const float value = static_cast<float>(result);
        values[f] = value;
        status[f] = 0;
        if (value < minimum) minimum = value;
        if (value > maximum) maximum = value;
        sum += value;
    }
    ChannelStats& stats = log.stats[channel - 1];
    stats.minimum = minimum;
    stats.maximum = maximum;
    stats.average = frames > 0 ? sum / static_cast<float>(frames) : 0.0f;
}

void ComputeChannel(LogData& log, int channel, const std::string& formula,
                    MathEvaluation evaluation) {
    const size_t frames = size_t(log.frameCount > 0 ? log.frameCount : 0);
    Column<float>& target = log.values[channel - 1];
    Column<uint32_t>& targetStatus = log.status[channel - 1];
    // Columns come allocated with the log; a log built without this slot gets it here.
    if (!HasFrames(target, frames) || targetStatus.data() == nullptr ||
        targetStatus.size() < frames) {
        if (!target.Allocate(frames + 1) || !targetStatus.Allocate(frames + 1)) return;
        target[frames] = 0.0f;
        targetStatus[frames] = 0;
    }

    if (evaluation == MathEvaluation::kExpandedText) {
        FillChannel(log, channel, frames, [&](size_t f, double& result) {
            const auto text = ExpandFormula(formula, [&](int referenced) -> std::optional<float> {
                const Column<float>& column = log.values[referenced - 1];
                if (!HasFrames(column, frames)) return std::nullopt;
                return column[f];
            });
            if (text) EvaluateExpression(*text, result);
        });
        return;
    }

    const CompiledFormula compiled(formula);
    bool expandable = compiled.IsExpandable();
    std::vector<const float*> sources;
    for (int referenced : compiled.Channels()) {
        expandable = expandable && HasFrames(log.values[referenced - 1], frames);
        sources.push_back(log.values[referenced - 1].data());
    }
    if (!expandable) {
        FillChannel(log, channel, frames, [](size_t, double&) {});
        return;
    }
    std::vector<float> frameValues(sources.size());
    FillChannel(log, channel, frames, [&](size_t f, double& result) {
        for (size_t i = 0; i < sources.size(); ++i)
            frameValues[i] = sources[i][f];
        compiled.Evaluate(frameValues.data(), result);
    });
}

}  // namespace

void ComputeMathChannels(LogData& log, GraphConfiguration& config, MathEvaluation evaluation) {
    for (int i = 0; i < kMathChannelCount; ++i) {
        const size_t entry = size_t(kFirstMathInput - 1 + i);
        log.config.Set(Block::InputName(entry), "Input #" + std::to_string(kFirstMathInput + i));
        log.config.Set(Block::InputEnabled(entry), 0);
        log.config.Set(Block::InputUnit(entry), "");
        log.config.Set(Block::InputFormat(entry), "");
    }
    for (int i = 0; i < kMathChannelCount; ++i) {
        const std::string name = MathChannelName(config.math[i]);
        const std::string formula = MathChannelFormula(config.math[i]);
        if (name.empty() || formula.empty()) continue;
        const int channel = kFirstMathChannel + i;
        const size_t entry = size_t(kFirstMathInput - 1 + i);
        log.config.Set(Block::InputName(entry), name);
        log.config.Set(Block::InputEnabled(entry), 1);
        log.config.Set(Block::InputKind(entry), 0);
        log.config.Set(Block::InputUnit(entry), "");
        log.config.Set(Block::InputFormat(entry), "%.4f");
        config.axes[channel - 1].autoscale = 1;
        ComputeChannel(log, channel, formula, evaluation);
    }
}

}  // namespace quillon
