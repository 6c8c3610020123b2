// The viewer's words for failures, with the system's reason where the text gives none.

#include "gui/common/FailureMessage.h"
#include "support/ScriptedPrompt.h"
#include "texts/UserTexts.h"

using namespace quillon;

namespace {

Result Failed(ErrorKind kind, Cause cause, Operation op, const std::string& system = {}) {
    return Result::Failure(kind, cause, "/logs/run.dl", system).During(op);
}

bool Same(const FailureMessage& m, const std::string& caption, const std::string& text,
          const std::string& reason) {
    if (m.caption == caption && m.text == text && m.reason == reason) return true;
    qWarning("got [%s] [%s] [%s]", m.caption.c_str(), m.text.c_str(), m.reason.c_str());
    return false;
}

}  // namespace

class FailureMessageTest : public QObject {
    Q_OBJECT

private slots:
    void openingAMainLogShowsTheReadersWordsOrTheQuestion() {
        QVERIFY(Same(MessageForFailure(Failed(ErrorKind::CannotOpen, Cause::OpenFailed,
                                              Operation::OpenLog, "No such file or directory")),
                     "", "Cannot open '/logs/run.dl': No such file or directory", ""));
        QVERIFY(Same(
            MessageForFailure(Failed(ErrorKind::WrongMagic, Cause::BadMagic, Operation::OpenLog)),
            "", kMagicMismatchText, "'/logs/run.dl'"));
        QVERIFY(Same(MessageForFailure(
                         Failed(ErrorKind::WrongVersion, Cause::BadVersion, Operation::OpenLog)),
                     kVersionUnrecognizedCaption, kVersionUnrecognizedText, ""));
        QVERIFY(
            Same(MessageForFailure(Failed(ErrorKind::Cancelled, Cause::None, Operation::OpenLog)),
                 "", kOpenErrorText, ""));
    }

    void aComparisonKeepsItsOwnCaptionsAndGainsTheReason() {
        QVERIFY(Same(MessageForFailure(
                         Failed(ErrorKind::WrongMagic, Cause::BadMagic, Operation::OpenComparison)),
                     kInvalidLogfileCaption, kMagicMismatchText, "'/logs/run.dl'"));
        QVERIFY(Same(MessageForFailure(Failed(ErrorKind::WrongVersion, Cause::BadVersion,
                                              Operation::OpenComparison)),
                     kInvalidLogfileVersionCaption, kComparisonVersionText, ""));
        QVERIFY(Same(MessageForFailure(Failed(ErrorKind::CannotOpen, Cause::OpenFailed,
                                              Operation::OpenComparison, "Permission denied")),
                     "", kOpenErrorText, "Cannot open '/logs/run.dl': Permission denied"));
        QVERIFY(Same(
            MessageForFailure(
                Failed(ErrorKind::Unreadable, Cause::TooShort, Operation::OpenComparison)
                    .Figures(4, 16204)),
            "", "'/logs/run.dl' is too short to be a log file (4 bytes; a log has at least 16204)",
            ""));
        QVERIFY(
            Same(MessageForFailure(Failed(ErrorKind::CannotWrite, Cause::WriteFailed,
                                          Operation::SaveComparison, "No space left on device")),
                 "", kSaveErrorText, "cannot write '/logs/run.dl': No space left on device"));
    }

    void aCsvExportSaysWhyItCouldNotWrite() {
        QVERIFY(Same(MessageForFailure(Failed(ErrorKind::CannotOpen, Cause::CreateFailed,
                                              Operation::ExportCsv, "Permission denied")),
                     "", kOpenErrorText,
                     "cannot create a file beside '/logs/run.dl': Permission denied"));
        QVERIFY(Same(MessageForFailure(
                         Failed(ErrorKind::Unreadable, Cause::FileChanged, Operation::ExportCsv)),
                     kAppTitle,
                     "'/logs/run.dl' was changed by another program while it was open. The log "
                     "has been closed.",
                     ""));
    }
};

QTEST_MAIN(FailureMessageTest)
#include "FailureMessageTest.moc"
