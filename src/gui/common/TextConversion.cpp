#include "gui/common/TextConversion.h"

#include "gui/common/AnsiText.h"

#include <QFile>
#include <QStringDecoder>

namespace quillon {

QString FromCoreText(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!decoder.hasError()) return text;
    return FromAnsi(bytes);
}

// The core's paths are the system's bytes on Linux and UTF-8 on Windows (where Qt's 8-bit file
// names would be the code page, which loses letters outside it).
std::string ToCorePath(const QString& path) {
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString FromCorePath(const std::string& path) {
#ifdef _WIN32
    return QString::fromUtf8(path.data(), qsizetype(path.size()));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

}  // namespace quillon
