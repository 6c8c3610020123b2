// Fuzz target for .graph files, math channel definitions included: the input is a .graph file's
// bytes read over the default configuration. Views, axis settings and formulas are then used as
// the viewer uses them: the ten math channels are computed over a small log, and the
// configuration's bytes read again give the same configuration.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/GraphConfigurationFile.h"
#include "model/DataLogFile.h"
#include "analysis/MathChannels.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

/// A copy of a small log read once. The copy shares the columns, but for the math channels'
/// own, which computing writes into: those are copied.
template <class T>
void CopyColumn(const Column<T>& from, Column<T>& to) {
    if (!to.Allocate(from.size())) std::abort();
    std::copy(from.begin(), from.end(), to.begin());
}

LogData SmallLog() {
    static const LogData log = [] {
        SampleLogOptions o;
        o.frames = 12;
        const std::vector<uint8_t> bytes = GenerateV4Bytes(o);
        LogData read;
        if (!ReadDataLogBytes(bytes.data(), bytes.size(), read).ok()) std::abort();
        return read;
    }();
    LogData copy = log;
    for (int m = 0; m < kMathChannelCount; ++m) {
        const size_t slot = size_t(kFirstMathChannel - 1 + m);
        CopyColumn(log.values[slot], copy.values[slot]);
        CopyColumn(log.status[slot], copy.status[slot]);
    }
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GraphConfiguration config = DefaultGraphConfiguration();
    DeserializeGraphConfiguration(data, size, config);
    const GraphConfigurationBytes bytes = SerializeGraphConfiguration(config);
    // The input's bytes are carried over exactly as far as they reach.
    if (size > 0 && std::memcmp(bytes.data(), data, std::min(size, bytes.size())) != 0)
        std::abort();

    for (const GraphView& view : config.views) {
        (void)GraphViewTitle(view);
        for (const GraphViewEntry& e : view.entries)
            (void)(IsValidChannelNumber(e.channel) && IsValidPanel(e.panel) &&
                   IsValidFilterLevel(e.filter));
    }
    for (const MathChannelDefinition& m : config.math)
        (void)(MathChannelName(m) + MathChannelFormula(m));

    LogData log = SmallLog();
    // Computing turns autoscaling on for the axes of defined math channels.
    ComputeMathChannels(log, config);
    const GraphConfigurationBytes computed = SerializeGraphConfiguration(config);

    GraphConfiguration again = DefaultGraphConfiguration();
    DeserializeGraphConfiguration(computed.data(), computed.size(), again);
    if (SerializeGraphConfiguration(again) != computed) std::abort();
    return 0;
}
