#pragma once
/// The chart as a picture file: PNG at a chosen size and pixel ratio, or SVG and PDF that keep
/// curves as paths and text as text. Every format is drawn by the chart's own painter; the
/// picture is encoded into memory so that the caller writes it out in one atomic save.

#include <optional>

#include <QByteArray>
#include <QSize>
#include <QString>

namespace quillon {

class CDataLogView;

enum class PictureFormat { Png, Svg, Pdf };

class ChartPicture {
public:
    /// The format a file name asks for by its extension (any case); none for other names.
    static std::optional<PictureFormat> FormatOf(const QString& path);

    /// The chart of `view` drawn at `size` (logical pixels) in `format`. The pixel ratio only
    /// matters for PNG, whose image is size * ratio device pixels. Empty on failure.
    static QByteArray Encode(CDataLogView& view, PictureFormat format, const QSize& size,
                             qreal pixelRatio = 1.0);
};

}  // namespace quillon
