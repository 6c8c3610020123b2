#include "chart/ChartPicture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "chart/CDataLogView.h"

namespace quillon {

std::optional<PictureFormat> ChartPicture::FormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return PictureFormat::Png;
    if (suffix == QLatin1String("svg")) return PictureFormat::Svg;
    if (suffix == QLatin1String("pdf")) return PictureFormat::Pdf;
    return std::nullopt;
}

QByteArray ChartPicture::Encode(CDataLogView& view, PictureFormat format, const QSize& size,
                                qreal pixelRatio) {
    if (size.isEmpty() || !(pixelRatio > 0)) return {};
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
    const int dpi = view.logicalDpiX() > 0 ? view.logicalDpiX() : 96;
    switch (format) {
        case PictureFormat::Png: {
            const QImage image = view.RenderImage(size, pixelRatio);
            if (image.isNull() || !image.save(&buffer, "PNG")) return {};
            break;
        }
        case PictureFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setResolution(dpi);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setTitle(view.windowTitle());
            QPainter p;
            if (!p.begin(&svg)) return {};
            view.Render(p, QSizeF(size));
            if (!p.end()) return {};
            break;
        }
        case PictureFormat::Pdf: {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(dpi);
            pdf.setCreator(QStringLiteral("Brenmor Quillon Log Viewer"));
            const QSizeF points = QSizeF(size) * 72.0 / dpi;
            pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point),
                                          QPageLayout::Portrait, QMarginsF()));
            QPainter p;
            if (!p.begin(&pdf)) return {};
            view.Render(p, QSizeF(size));
            if (!p.end()) return {};
            break;
        }
    }
    return bytes;
}

}  // namespace quillon
