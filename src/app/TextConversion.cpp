#include "app/TextConversion.h"

#include <QFile>
#include <QStringDecoder>

namespace quillon {

namespace {

// Code points of bytes 0x80..0x9F; the five bytes that Windows-1252 leaves unassigned keep their
// Latin-1 control code so that nothing is lost.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString FromWindows1252(const std::string& bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kHighControls[b - 0x80]) : QChar(char16_t(b)));
    }
    return text;
}

QString FromCoreText(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!decoder.hasError()) return text;
    return FromWindows1252(bytes);
}

std::string ToCorePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCorePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace quillon
