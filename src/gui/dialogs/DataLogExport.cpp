#include "gui/dialogs/DataLogExport.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "gui/common/TextConversion.h"
#include "document/CDataLogDoc.h"
#include "analysis/CsvExport.h"
#include "gui/dialogs/CDlgProgress.h"

namespace quillon {

bool RunDataLogExport(const CDataLogDoc& doc, IPrompt& prompt, QWidget* owner) {
    const QFileInfo proposal(FromCorePath(DefaultCsvPath(doc.GetPathName())));
    FileDialogRequest request;
    request.caption = "Save As";
    if (!doc.GetPathName().empty()) {
        request.folder = ToCorePath(proposal.path());
        request.fileName = ToCorePath(proposal.fileName());
    }
    std::string path = prompt.SaveFileName(request);
    if (path.empty()) return false;
    // The dialog's default extension: a name typed without one gets ".csv", and replacing an
    // existing file of that name is confirmed as the dialog confirms its own choices.
    const QFileInfo chosen(FromCorePath(path));
    if (chosen.suffix().isEmpty()) {
        path += ".csv";
        if (QFileInfo::exists(FromCorePath(path)) &&
            prompt.Question("Save As", ToCorePath(chosen.fileName()) +
                                           ".csv already exists.\nDo you want to replace it?") ==
                PromptAnswer::No)
            return false;
    }

    CDlgProgress progress(owner);
    progress.Start(QStringLiteral("Data Log Export"), QStringLiteral("Data System Log..."),
                   doc.GetFrameCount());
    // The rest of the program keeps painting but takes no input while the log is read.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.show();
    progress.repaint();
    QCoreApplication::processEvents();

    const Result result = ExportCsv(
        doc.Main(), path,
        [&progress](int64_t done, int64_t) {
            if (done < 1) return;
            progress.SetPos(int(done));
            QCoreApplication::processEvents();
        },
        [&progress] { return progress.IsCancelled(); });
    progress.hide();
    if (result.kind == ErrorKind::Cancelled) return false;
    if (!result.ok()) {
        prompt.ShowFailure(result);
        return false;
    }
    return true;
}

}  // namespace quillon
