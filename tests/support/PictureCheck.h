#pragma once
/// Reading exported pictures back in tests: the texts of an SVG drawing and the pages of a PDF.

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>
#include <QXmlStreamReader>

#include "support/ScriptedPrompt.h"

namespace quillon::test {

/// Ends a test whose checks read an SVG picture when the Qt it runs on has no SVG module (the
/// Windows build's).
#define QUILLON_SKIP_WITHOUT_SVG() \
    if (!::quillon::ChartPicture::SvgAvailable()) QSKIP("this Qt has no SVG module")

/// Every text element of an SVG drawing, in order; nothing when the XML does not parse.
inline QStringList SvgTexts(const QByteArray& svg, int* images = nullptr) {
    QStringList texts;
    int imageCount = 0;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("text"))
            texts += xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else if (xml.name() == QLatin1String("image"))
            ++imageCount;
    }
    if (images) *images = imageCount;
    return xml.hasError() ? QStringList() : texts;
}

/// The pages of a PDF with its header and end mark; -1 when either is missing.
inline int PdfPages(const QByteArray& pdf) {
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF")) return -1;
    // "/Type /Page" but not "/Type /Pages".
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s])"));
    return int(QString::fromLatin1(pdf).count(page));
}

/// Saves a window's picture as a user does: `button` asks `prompt` for the file (answered with
/// `path`) and then for the picture's size (accepted). The pages of the PDF written there.
inline int PdfPagesSavedBy(QAbstractButton* button, ScriptedPrompt& prompt, const QString& path) {
    prompt.QueueFile(path.toStdString());
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->accept();
    });
    button->click();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? PdfPages(file.readAll()) : -1;
}

}  // namespace quillon::test
