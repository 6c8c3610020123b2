#pragma once
/// Fixed-size little-endian byte records: named fields are read and written at explicit offsets,
/// every other byte is carried unchanged.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quillon {

struct U32Field {
    size_t offset;
};
struct F32Field {
    size_t offset;
};
/// A fixed-width, NUL-terminated single-byte text.
struct TextField {
    size_t offset;
    size_t size;
};

inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline uint64_t LoadU64(const uint8_t* p) {
    return uint64_t(LoadU32(p)) | uint64_t(LoadU32(p + 4)) << 32;
}
inline void StoreU64(uint8_t* p, uint64_t v) {
    StoreU32(p, uint32_t(v));
    StoreU32(p + 4, uint32_t(v >> 32));
}
inline float LoadF32(const uint8_t* p) {
    return std::bit_cast<float>(LoadU32(p));
}
inline void StoreF32(uint8_t* p, float v) {
    StoreU32(p, std::bit_cast<uint32_t>(v));
}

/// Reads a NUL-terminated text of at most `size` bytes (no terminator needed at the end).
inline std::string LoadText(const uint8_t* p, size_t size) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(p, 0, size));
    return std::string(reinterpret_cast<const char*>(p), end ? size_t(end - p) : size);
}
/// Writes a text cut to size - 1 bytes plus its terminator; the bytes after the terminator are
/// left as they were.
inline void StoreText(uint8_t* p, size_t size, std::string_view text) {
    if (size == 0) return;
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(p, text.data(), n);
    p[n] = 0;
}

template <size_t N>
struct ByteRecord {
    static constexpr size_t kSize = N;
    std::array<uint8_t, N> bytes{};

    uint32_t Get(U32Field f) const { return LoadU32(bytes.data() + f.offset); }
    float Get(F32Field f) const { return LoadF32(bytes.data() + f.offset); }
    std::string Get(TextField f) const { return LoadText(bytes.data() + f.offset, f.size); }
    void Set(U32Field f, uint32_t v) { StoreU32(bytes.data() + f.offset, v); }
    void Set(F32Field f, float v) { StoreF32(bytes.data() + f.offset, v); }
    void Set(TextField f, std::string_view v) { StoreText(bytes.data() + f.offset, f.size, v); }

    /// Element i of an array of u32 fields starting at f.
    uint32_t GetAt(U32Field f, size_t i) const { return Get(U32Field{f.offset + 4 * i}); }
    void SetAt(U32Field f, size_t i, uint32_t v) { Set(U32Field{f.offset + 4 * i}, v); }
    /// Element i of an array of texts starting at f.
    std::string GetAt(TextField f, size_t i) const {
        return Get(TextField{f.offset + f.size * i, f.size});
    }
    void SetAt(TextField f, size_t i, std::string_view v) {
        Set(TextField{f.offset + f.size * i, f.size}, v);
    }

    bool operator==(const ByteRecord&) const = default;
};

}  // namespace quillon
