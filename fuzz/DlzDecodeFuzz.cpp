// Fuzz target for the .dlz decoding: the in-memory decoder, the streaming expander fed in
// pieces of any size, and the sample generator's encoder, whose output must decode back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "format/DlzCodec.h"
#include "samplegen/SampleLog.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> decoded = DecodeDlz(data, size);
    if (decoded.size() % 4 != 0) std::abort();

    // The same expansion, fed in pieces: escapes split between pieces must not matter.
    std::vector<uint8_t> flipped(size / 4 * 4);
    FlipWords(data, size, flipped.data());
    const size_t piece = size ? size_t(data[0] % 13) + 1 : 1;
    RunLengthExpander expander;
    std::vector<uint8_t> expanded;
    for (size_t at = 0; at < flipped.size(); at += piece) {
        size_t n = std::min(piece, flipped.size() - at);
        size_t before = expanded.size();
        uint64_t measured = expander.Measure(flipped.data() + at, n);
        expander.Feed(flipped.data() + at, n, expanded);
        if (expanded.size() - before != measured) std::abort();
    }
    expanded.resize(FlipWords(expanded.data(), expanded.size(), expanded.data()));
    if (expanded != decoded) std::abort();

    // Any whole-word data survives encoding and decoding.
    std::vector<uint8_t> plain(data, data + size / 4 * 4);
    std::vector<uint8_t> encoded = EncodeDlz(plain);
    if (encoded.size() % 4 != 0) std::abort();
    if (DecodeDlz(encoded.data(), encoded.size()) != plain) std::abort();
    return 0;
}
