#include "gui/common/CMessageBoxPrompt.h"

#include <cstdio>

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "gui/common/CProgressWindow.h"
#include "gui/common/FailureMessage.h"
#include "gui/common/TextConversion.h"
#include "texts/UserTexts.h"

namespace quillon {

namespace {

// A message box without a caption of its own carries the application's title.
QString CaptionOf(const std::string& caption) {
    return caption.empty() ? QString::fromUtf8(kAppTitle) : FromCoreText(caption);
}

// A wait cursor set by long work must not hide the pointer over a question.
class CursorRestore {
public:
    CursorRestore() {
        while (QGuiApplication::overrideCursor()) {
            QGuiApplication::restoreOverrideCursor();
            ++m_count;
        }
    }
    ~CursorRestore() {
        for (int i = 0; i < m_count; ++i)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    CursorRestore(const CursorRestore&) = delete;
    CursorRestore& operator=(const CursorRestore&) = delete;

private:
    int m_count = 0;
};

}  // namespace

void CMessageBoxPrompt::CloseProgress() {
    if (m_progress) m_progress->CloseForPrompt();
}

void CMessageBoxPrompt::Message(const std::string& caption, const std::string& text) {
    CloseProgress();
    if (m_scripted) return m_scripted->Message(caption, text);
    if (m_quiet) {
        std::fprintf(stderr, "%s: %s\n", CaptionOf(caption).toLocal8Bit().constData(),
                     FromCoreText(text).toLocal8Bit().constData());
        return;
    }
    CursorRestore cursor;
    QMessageBox box(QMessageBox::NoIcon, CaptionOf(caption), FromCoreText(text), QMessageBox::Ok,
                    m_owner);
    box.exec();
}

PromptAnswer CMessageBoxPrompt::QuestionAboutFailure(const Result& failure) {
    const FailureMessage message = MessageForFailure(failure);
    return Question(message.caption, message.text);
}

void CMessageBoxPrompt::ShowFailure(const Result& failure) {
    const FailureMessage message = MessageForFailure(failure);
    if (m_scripted || message.reason.empty()) return Message(message.caption, message.text);
    CloseProgress();
    if (m_quiet) {
        std::fprintf(stderr, "%s: %s\n%s\n", CaptionOf(message.caption).toLocal8Bit().constData(),
                     FromCoreText(message.text).toLocal8Bit().constData(),
                     FromCorePath(message.reason).toLocal8Bit().constData());
        return;
    }
    CursorRestore cursor;
    QMessageBox box(QMessageBox::NoIcon, CaptionOf(message.caption), FromCoreText(message.text),
                    QMessageBox::Ok, m_owner);
    // The reason names paths, which are UTF-8.
    box.setInformativeText(FromCorePath(message.reason));
    box.exec();
}

PromptAnswer CMessageBoxPrompt::Question(const std::string& caption, const std::string& text) {
    CloseProgress();
    if (m_scripted) return m_scripted->Question(caption, text);
    if (m_quiet) return PromptAnswer::No;
    CursorRestore cursor;
    QMessageBox box(QMessageBox::NoIcon, CaptionOf(caption), FromCoreText(text),
                    QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::No ? PromptAnswer::No : PromptAnswer::Yes;
}

PromptAnswer CMessageBoxPrompt::QuestionWithCancel(const std::string& caption,
                                                   const std::string& text) {
    CloseProgress();
    if (m_scripted) return m_scripted->QuestionWithCancel(caption, text);
    if (m_quiet) return PromptAnswer::No;
    CursorRestore cursor;
    QMessageBox box(QMessageBox::NoIcon, CaptionOf(caption), FromCoreText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            return PromptAnswer::Cancel;
    }
}

namespace {

// The folder and proposed name of a request as one start path for the platform's dialog.
QString StartPath(const FileDialogRequest& request) {
    QString folder = FromCorePath(request.folder);
    QString name = FromCorePath(request.fileName);
    if (folder.isEmpty()) return name;
    if (name.isEmpty()) return folder;
    return folder + QLatin1Char('/') + name;
}

}  // namespace

std::string CMessageBoxPrompt::OpenFileName(const FileDialogRequest& request) {
    CloseProgress();
    if (m_scripted) return m_scripted->OpenFileName(request);
    if (m_quiet) return {};
    CursorRestore cursor;
    return ToCorePath(QFileDialog::getOpenFileName(
        m_owner, FromCoreText(request.caption), StartPath(request), FromCoreText(request.filter)));
}

std::vector<std::string> CMessageBoxPrompt::OpenFileNames(const FileDialogRequest& request) {
    CloseProgress();
    if (m_scripted) return m_scripted->OpenFileNames(request);
    if (m_quiet) return {};
    CursorRestore cursor;
    std::vector<std::string> paths;
    for (const QString& path :
         QFileDialog::getOpenFileNames(m_owner, FromCoreText(request.caption), StartPath(request),
                                       FromCoreText(request.filter)))
        paths.push_back(ToCorePath(path));
    return paths;
}

std::string CMessageBoxPrompt::SaveFileName(const FileDialogRequest& request) {
    CloseProgress();
    if (m_scripted) return m_scripted->SaveFileName(request);
    if (m_quiet) return {};
    CursorRestore cursor;
    return ToCorePath(QFileDialog::getSaveFileName(
        m_owner, FromCoreText(request.caption), StartPath(request), FromCoreText(request.filter)));
}

}  // namespace quillon
