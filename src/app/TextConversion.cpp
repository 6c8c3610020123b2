#include "app/TextConversion.h"

#include "controls/AnsiText.h"

#include <QFile>
#include <QStringDecoder>

namespace quillon {

QString FromWindows1252(const std::string& bytes) {
    return FromAnsi(bytes);
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
