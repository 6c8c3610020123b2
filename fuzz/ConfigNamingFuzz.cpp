// Fuzz target for the naming and value formats that the configuration block of a log decides:
// the input fills the block (repeated to its size), and every channel's availability, name,
// unit, value format and value text are asked for, as the values view and the exports do. Each
// input asks for every fourth channel (which quarter by the input's length), so that an input
// costs a quarter of the naming while the corpus still reaches every channel.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "FuzzBytes.h"
#include "format/DataLogFrame.h"
#include "model/ChannelInfo.h"
#include "model/ChannelNaming.h"
#include "format/EcuConfigBlock.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EcuConfigBlock config;
    FillRepeated(config.bytes.data(), config.bytes.size(), data, size);
    float value = 0;
    if (size >= 4) std::memcpy(&value, data, 4);
    const float values[] = {value, 0.0f, -999999.0f, 12.345f, NAN, INFINITY, 1e30f};
    // A value's text depends on the channel only through its format: each distinct format is
    // tried with every value once, and the text of the first channel that has it must agree.
    std::set<std::string> formats;
    for (int c = int(size % 4); c <= 441; c += 4) {
        (void)IsChannelAvailable(config, c);
        const std::string name = GetChannelName(config, c);
        const std::string unit = GetChannelUnit(config, c);
        const std::string format = GetChannelValueFormat(config, c);
        if (name.size() > 64 || unit.size() > 64) std::abort();
        if (!formats.insert(format).second) continue;
        const std::string text = GetChannelValueText(config, c, value);
        if (c >= 1 && c <= kChannelCount && value != kNoValue && text != FormatValue(format, value))
            std::abort();
    }
    for (const std::string& format : formats) {
        const std::string number = NumberFormatOf(format);
        for (float v : values) {
            if (FormatValue(format, v).size() > 4096) std::abort();
            if (FormatValue(number, v).size() > 4096) std::abort();
        }
    }
    return 0;
}
