#include "gui/chart/ChartPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#ifdef QUILLON_HAVE_SVG
#include <QSvgGenerator>
#endif

#include "gui/chart/CDataLogView.h"

namespace quillon {

bool ChartPicture::SvgAvailable() {
#ifdef QUILLON_HAVE_SVG
    return true;
#else
    return false;
#endif
}

const char* ChartPicture::FileFilter() {
    return SvgAvailable() ? "PNG Image (*.png);;SVG Drawing (*.svg);;PDF Document (*.pdf)"
                          : "PNG Image (*.png);;PDF Document (*.pdf)";
}

std::optional<PictureFormat> ChartPicture::FormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return PictureFormat::Png;
    if (suffix == QLatin1String("svg") && SvgAvailable()) return PictureFormat::Svg;
    if (suffix == QLatin1String("pdf")) return PictureFormat::Pdf;
    return std::nullopt;
}

PictureSource ChartPicture::SourceOf(CDataLogView& view) {
    PictureSource source;
    source.render = [&view](QPainter& p, const QSizeF& size) { view.Render(p, size); };
    source.renderImage = [&view](const QSize& size, qreal ratio) {
        return view.RenderImage(size, ratio);
    };
    source.title = view.PictureCaption().replace(QLatin1Char('\n'), QStringLiteral(", "));
    source.dpi = view.logicalDpiX() > 0 ? view.logicalDpiX() : 96;
    return source;
}

QByteArray ChartPicture::Encode(const PictureSource& source, PictureFormat format,
                                const QSize& size, qreal pixelRatio) {
    if (size.isEmpty() || !(pixelRatio > 0) || !source.render) return {};
    // A bitmap beyond this would not be allocated; refuse it rather than draw into nothing.
    constexpr double kMaximumPixels = 256.0 * 1024 * 1024;
    if (format == PictureFormat::Png &&
        size.width() * pixelRatio * size.height() * pixelRatio > kMaximumPixels)
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Vector output keeps the screen's geometry: one unit is one logical pixel at the chart's
    // own resolution, so fonts come out at the size the layout measured them with.
    const int dpi = source.dpi > 0 ? source.dpi : 96;
    switch (format) {
        case PictureFormat::Png: {
            QImage image;
            if (source.renderImage) {
                image = source.renderImage(size, pixelRatio);
            } else {
                image = QImage((QSizeF(size) * pixelRatio).toSize(),
                               QImage::Format_ARGB32_Premultiplied);
                if (image.isNull()) return {};
                image.setDevicePixelRatio(pixelRatio);
                image.fill(Qt::white);
                QPainter p(&image);
                source.render(p, QSizeF(size));
            }
            if (image.isNull() || !image.save(&buffer, "PNG")) return {};
            break;
        }
        case PictureFormat::Svg: {
#ifndef QUILLON_HAVE_SVG
            return {};
#else
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setResolution(dpi);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setTitle(source.title);
            QPainter p;
            if (!p.begin(&svg)) return {};
            source.render(p, QSizeF(size));
            if (!p.end()) return {};
            break;
#endif
        }
        case PictureFormat::Pdf: {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(dpi);
            pdf.setCreator(QStringLiteral("Brenmor Quillon Log Viewer"));
            pdf.setTitle(source.title);
            const QSizeF points = QSizeF(size) * 72.0 / dpi;
            pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point),
                                          QPageLayout::Portrait, QMarginsF()));
            QPainter p;
            if (!p.begin(&pdf)) return {};
            source.render(p, QSizeF(size));
            if (!p.end()) return {};
            break;
        }
    }
    return bytes;
}

}  // namespace quillon
