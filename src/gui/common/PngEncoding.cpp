#include "gui/common/PngEncoding.h"

#include <array>
#include <cstdint>

#include <QImage>

namespace quillon {

namespace {

uint32_t Crc32(uint32_t crc, const char* data, qsizetype size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ uint8_t(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void AppendU32(QByteArray& out, uint32_t v) {
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(bytes, 4);
}

void AppendChunk(QByteArray& out, const char type[4], const char* data, qsizetype size) {
    AppendU32(out, uint32_t(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    AppendU32(out, Crc32(0, out.constData() + start, size + 4));
}

}  // namespace

QByteArray EncodePngFast(const QImage& source) {
    if (source.isNull()) return {};
    const bool alpha = source.hasAlphaChannel();
    const QImage image =
        source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int width = image.width();
    const int height = image.height();
    const int channels = alpha ? 4 : 3;
    const qsizetype rowBytes = qsizetype(width) * channels;

    // Each row: filter type 1 (each byte minus the byte one pixel to its left).
    QByteArray raw(height * (rowBytes + 1), Qt::Uninitialized);
    char* out = raw.data();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint8_t*>(image.constScanLine(y));
        *out++ = 1;
        for (qsizetype i = 0; i < rowBytes; ++i)
            *out++ = char(i < channels ? row[i] : uint8_t(row[i] - row[i - channels]));
    }
    // qCompress gives a zlib stream behind a 4-byte length, which PNG does not want.
    const QByteArray deflated = qCompress(raw, 1).mid(4);

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    AppendU32(header, uint32_t(width));
    AppendU32(header, uint32_t(height));
    const char rest[5] = {8, char(alpha ? 6 : 2), 0, 0, 0};
    header.append(rest, 5);
    AppendChunk(png, "IHDR", header.constData(), header.size());
    AppendChunk(png, "IDAT", deflated.constData(), deflated.size());
    AppendChunk(png, "IEND", nullptr, 0);
    return png;
}

}  // namespace quillon
