#include "gui/dialogs/PictureExport.h"

#include <optional>

#include <QDir>
#include <QFileInfo>

#include "gui/common/TextConversion.h"
#include "gui/chart/ChartPicture.h"
#include "platform/AtomicFile.h"
#include "texts/FailureText.h"
#include "document/Prompt.h"
#include "gui/dialogs/CDlgPictureSize.h"

namespace quillon {

bool RunPictureExport(const PictureSource& source, const QSize& shown, qreal pixelRatio,
                      const std::string& logPath, const QString& nameSuffix, IPrompt& prompt,
                      QWidget* owner) {
    const QString log = FromCorePath(logPath);
    FileDialogRequest request{"Export Picture", "", "", ChartPicture::FileFilter()};
    if (!log.isEmpty()) {
        request.folder = ToCorePath(QFileInfo(log).absolutePath());
        request.fileName =
            ToCorePath(QFileInfo(log).completeBaseName() + nameSuffix + QStringLiteral(".png"));
    }
    QString path = FromCorePath(prompt.SaveFileName(request));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The dialog asked about the name typed; the name with the suffix is asked about here.
        path += QStringLiteral(".png");
        if (QFileInfo(path).exists() &&
            prompt.Question("Export Picture", ToCorePath(QFileInfo(path).fileName()) +
                                                  " already exists.\nDo you want to replace it?") !=
                PromptAnswer::Yes)
            return false;
    }
    const std::optional<PictureFormat> format = ChartPicture::FormatOf(path);
    if (!format) {
        prompt.Message(
            "Export Picture",
            ToCorePath(QStringLiteral("%1 is not a picture type this program writes. "
                                      "Use a name ending in %2.")
                           .arg(QFileInfo(path).fileName(),
                                ChartPicture::SvgAvailable() ? QStringLiteral(".png, .svg or .pdf")
                                                             : QStringLiteral(".png or .pdf"))));
        return false;
    }
    CDlgPictureSize dialog(shown, pixelRatio, *format == PictureFormat::Png, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QByteArray bytes =
        ChartPicture::Encode(source, *format, dialog.PictureSize(), dialog.PixelRatio());
    std::string error = "the picture could not be drawn at this size";
    if (!bytes.isEmpty()) {
        const Result written = WriteFileAtomically(
            ToCorePath(path),
            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        if (written) return true;
        error = FailureText(written);
    }
    prompt.Message("Export Picture", ToCorePath(QStringLiteral("Could not save %1: %2")
                                                    .arg(QDir::toNativeSeparators(path),
                                                         QString::fromStdString(error))));
    return false;
}

}  // namespace quillon
