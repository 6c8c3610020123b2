// Fuzz target for .graph files, math channel definitions included: the input is a .graph file
// read over the default configuration, through the file reader and from memory. Views, axis
// settings and formulas are then used as the viewer uses them: the ten math channels are
// computed over a small log, and the configuration written back and read again gives the same
// bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzScratch.h"
#include "settings/GraphConfigurationFile.h"
#include "model/DataLogFile.h"
#include "analysis/MathChannels.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

namespace {

const std::vector<uint8_t>& SmallLogBytes() {
    static const std::vector<uint8_t> bytes = [] {
        SampleLogOptions o;
        o.frames = 12;
        return GenerateV4Bytes(o);
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = FuzzScratchFolder() + "/in.graph";
    if (!WriteFuzzFile(path, data, size)) return 0;
    GraphConfiguration fromFile = DefaultGraphConfiguration();
    if (!ReadGraphConfigurationFile(path, fromFile)) std::abort();
    GraphConfiguration config = DefaultGraphConfiguration();
    DeserializeGraphConfiguration(data, size, config);
    const GraphConfigurationBytes bytes = SerializeGraphConfiguration(config);
    if (SerializeGraphConfiguration(fromFile) != bytes) std::abort();
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

    LogData log;
    const std::vector<uint8_t>& logBytes = SmallLogBytes();
    if (!ReadDataLogBytes(logBytes.data(), logBytes.size(), log).ok()) std::abort();
    // Computing turns autoscaling on for the axes of defined math channels.
    ComputeMathChannels(log, config);
    const GraphConfigurationBytes computed = SerializeGraphConfiguration(config);

    const std::string out = FuzzScratchFolder() + "/out.graph";
    if (!WriteGraphConfigurationFile(out, config)) std::abort();
    GraphConfiguration again = DefaultGraphConfiguration();
    if (!ReadGraphConfigurationFile(out, again) || SerializeGraphConfiguration(again) != computed)
        std::abort();
    return 0;
}
