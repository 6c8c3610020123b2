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

std::string ToCorePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCorePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace quillon
