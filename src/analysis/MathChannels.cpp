#include "analysis/MathChannels.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "format/DataLogFrame.h"
#include "model/LogColumns.h"
#include "model/StatsKernel.h"
#include "analysis/CompiledFormula.h"
#include "analysis/EvaluateExpression.h"
#include "analysis/FormulaExpansion.h"

namespace quillon {

namespace {

using Block = EcuConfigBlock;

bool HasFrames(const Column<float>& column, size_t frames) {
    return column.data() != nullptr && column.size() >= frames;
}

// Statuses 0 and the minimum, maximum and average of a filled math channel, from the statistics
// kernel like every other figure.
void FinishChannel(LogData& log, int channel, size_t frames) {
    std::fill_n(log.status[channel - 1].data(), frames, 0u);
    ChannelStats& stats = log.stats[channel - 1];
    if (frames == 0) {
        stats.minimum = std::numeric_limits<float>::max();
        stats.maximum = -std::numeric_limits<float>::max();
        stats.average = 0.0f;
        return;
    }
    const ChannelStats figures = ColumnFigures(log.values[channel - 1].data(), 0, int(frames));
    stats.minimum = figures.minimum;
    stats.maximum = figures.maximum;
    stats.average = figures.average;
}

void ComputeChannel(LogData& log, int channel, const std::string& formula,
                    MathEvaluation evaluation) {
    const size_t frames = size_t(log.frameCount > 0 ? log.frameCount : 0);
    // The target and the channels the formula reads are made from the file together; the target
    // is kept in memory from then on.
    {
        std::vector<int> slots = {channel - 1};
        const CompiledFormula reads(formula);
        for (int referenced : reads.Channels())
            slots.push_back(referenced - 1);
        EnsureColumns(log, slots, true);
        if (IsFileSlot(log, channel - 1) && log.values[channel - 1].size() == 0) return;
        MarkOwned(log, channel - 1);
    }
    Column<float>& target = log.values[channel - 1];
    Column<uint32_t>& targetStatus = log.status[channel - 1];
    // Columns come allocated with the log; a log built without this slot gets it here.
    if (!HasFrames(target, frames) || targetStatus.data() == nullptr ||
        targetStatus.size() < frames) {
        if (!target.Allocate(frames + 1) || !targetStatus.Allocate(frames + 1)) return;
        target[frames] = 0.0f;
        targetStatus[frames] = 0;
    }

    // A frame whose text fails the character check keeps the previous frame's result; the first
    // frame has none and gets the no-value marker.
    double result = kNoValue;
    float* out = target.data();
    if (evaluation == MathEvaluation::kExpandedText) {
        for (size_t f = 0; f < frames; ++f) {
            const auto text = ExpandFormula(formula, [&](int referenced) -> std::optional<float> {
                if (!HasFrames(log.values[referenced - 1], frames))
                    EnsureColumns(log, {referenced - 1});
                const Column<float>& column = log.values[referenced - 1];
                if (!HasFrames(column, frames)) return std::nullopt;
                return column[f];
            });
            if (text) EvaluateExpression(*text, result);
            out[f] = static_cast<float>(result);
        }
    } else {
        const CompiledFormula compiled(formula);
        bool expandable = compiled.IsExpandable();
        std::vector<const float*> columns;
        for (int referenced : compiled.Channels()) {
            expandable = expandable && HasFrames(log.values[referenced - 1], frames);
            columns.push_back(log.values[referenced - 1].data());
        }
        if (expandable) {
            compiled.EvaluateFrames(columns.data(), frames, result, out);
        } else {
            for (size_t f = 0; f < frames; ++f)
                out[f] = static_cast<float>(result);
        }
    }
    FinishChannel(log, channel, frames);
}

}  // namespace

void ComputeMathChannels(LogData& log, GraphConfiguration& config, MathEvaluation evaluation) {
    for (int i = 0; i < kMathChannelCount; ++i) {
        const size_t entry = size_t(kFirstMathInput) - 1 + size_t(i);
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
        const size_t entry = size_t(kFirstMathInput) - 1 + size_t(i);
        log.config.Set(Block::InputName(entry), name);
        log.config.Set(Block::InputEnabled(entry), 1);
        log.config.Set(Block::InputKind(entry), 0);
        log.config.Set(Block::InputUnit(entry), "");
        log.config.Set(Block::InputFormat(entry), "%.4f");
        config.axes[channel - 1].autoscale = 1;
        ComputeChannel(log, channel, formula, evaluation);
    }
}

std::vector<int> MathChannelInputs(const GraphConfiguration& config) {
    std::vector<int> channels;
    for (int i = 0; i < kMathChannelCount; ++i) {
        const std::string formula = MathChannelFormula(config.math[i]);
        if (MathChannelName(config.math[i]).empty() || formula.empty()) continue;
        const CompiledFormula reads(formula);
        for (int c : reads.Channels())
            channels.push_back(c);
    }
    return channels;
}

}  // namespace quillon
