#pragma once
/// A window's drawing as a picture file: PNG at a chosen size and pixel ratio, or SVG and PDF
/// that keep curves as paths and text as text. Every format is drawn by the window's own painter
/// code; the picture is encoded into memory so that the caller writes it out in one atomic save.

#include <functional>
#include <optional>

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

namespace quillon {

class CDataLogView;

enum class PictureFormat { Png, Svg, Pdf };

/// What a window hands over to be exported: its drawing code and how it names itself.
struct PictureSource {
    /// Draws the picture over (0, 0) to size, in logical pixels (SVG, PDF).
    std::function<void(QPainter&, const QSizeF&)> render;
    /// The picture as a bitmap of size * pixel ratio device pixels (PNG); when not set, render
    /// draws into a white bitmap.
    std::function<QImage(const QSize&, qreal)> renderImage;
    QString title;
    /// Logical dots per inch of the window, which sizes its fonts.
    int dpi = 96;
};

class ChartPicture {
public:
    /// The format a file name asks for by its extension (any case); none for other names, and
    /// for .svg when the program was built without Qt SVG.
    static std::optional<PictureFormat> FormatOf(const QString& path);
    /// Whether SVG pictures can be written (the Qt the program was built with has Qt SVG).
    static bool SvgAvailable();
    /// The file dialog's filter of the picture types this program writes.
    static const char* FileFilter();

    /// The strip chart of `view` as a source.
    static PictureSource SourceOf(CDataLogView& view);

    /// The source drawn at `size` (logical pixels) in `format`. The pixel ratio only matters for
    /// PNG, whose image is size * ratio device pixels. Empty on failure.
    static QByteArray Encode(const PictureSource& source, PictureFormat format, const QSize& size,
                             qreal pixelRatio = 1.0);
    static QByteArray Encode(CDataLogView& view, PictureFormat format, const QSize& size,
                             qreal pixelRatio = 1.0) {
        return Encode(SourceOf(view), format, size, pixelRatio);
    }
};

}  // namespace quillon
