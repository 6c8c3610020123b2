#include "gui/common/AnsiText.h"

#include <algorithm>
#include <iterator>

namespace quillon {

namespace {

// Code points of the bytes 0x80..0x9F.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString FromAnsi(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += u >= 0x80 && u < 0xA0 ? QChar(kHigh[u - 0x80]) : QChar(char16_t(u));
    }
    return out;
}

std::string ToAnsi(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            out += char(u);
            continue;
        }
        const auto* hit = std::find(std::begin(kHigh), std::end(kHigh), u);
        out += hit != std::end(kHigh) ? char(0x80 + (hit - kHigh)) : '?';
    }
    return out;
}

}  // namespace quillon
