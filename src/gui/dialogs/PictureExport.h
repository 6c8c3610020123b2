#pragma once
/// Export Picture from any window that draws itself: the save dialog (the extension chooses PNG,
/// SVG or PDF; none means PNG), the size dialog, then the picture written in one atomic save.

#include <string>

#include <QSize>
#include <QString>

class QWidget;

namespace quillon {

class IPrompt;
struct PictureSource;

/// `shown` and `pixelRatio` are the window's, proposed in the size dialog; the proposed file is
/// named after `logPath` (when there is one) with `nameSuffix` and ".png", next to it. True when
/// the file was written; failures are told through the prompt.
bool RunPictureExport(const PictureSource& source, const QSize& shown, qreal pixelRatio,
                      const std::string& logPath, const QString& nameSuffix, IPrompt& prompt,
                      QWidget* owner);

}  // namespace quillon
