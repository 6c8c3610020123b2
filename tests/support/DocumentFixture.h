#pragma once
/// The widget tests' common set-up: a document over a fresh folder with its own preferences and a
/// scripted prompt, sample logs written into that folder, a view that records the document's
/// hints, and helpers that answer the modal dialogs a call opens.

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "support/ScriptedPrompt.h"
#include "samplegen/SampleLog.h"

namespace quillon::test {

/// Mixed into a test object (after QObject): NewDocument() in init(), DeleteDocument() in
/// cleanup().
class DocumentFixture {
protected:
    /// A new folder, preferences and empty document; the prompt answers `answer` to questions
    /// when nothing is queued.
    void NewDocument(PromptAnswer answer = PromptAnswer::No) {
        DeleteDocument();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prefs = std::make_unique<CPrefs>(m_dir->path().toStdString());
        m_prompt = ScriptedPrompt(answer);
        m_doc = std::make_unique<CDataLogDoc>(*m_prefs, m_prompt);
    }
    void DeleteDocument() {
        m_doc.reset();
        m_prefs.reset();
        m_dir.reset();
    }

    std::string Path(const QString& name) const { return m_dir->filePath(name).toStdString(); }

    /// Writes a sample log of `frames` frames into the folder and returns its path.
    std::string WriteLog(const QString& name, int frames, double rate = 100, uint32_t seed = 1,
                         float zeroTime = 0) const {
        return WriteLog(name, {.frames = frames, .rate = rate, .seed = seed, .zeroTime = zeroTime});
    }
    std::string WriteLog(const QString& name, const SampleLogOptions& options) const {
        const std::string path = Path(name);
        std::string error;
        if (!WriteSampleLog(path, options, &error)) qFatal("%s", error.c_str());
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CPrefs> m_prefs;
    ScriptedPrompt m_prompt;
    std::unique_ptr<CDataLogDoc> m_doc;
};

/// Another view of the document, recording the hints it receives.
struct HintSpy : IDataLogView {
    std::vector<DocumentChange> hints;
    void OnUpdate(IDataLogView*, DocumentChange change) override { hints.push_back(change); }
};

/// Calls `act` with the modal dialog of class D that the next call opens.
template <class D, class F>
void OnNextDialog(F act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(*dialog);
    });
}

/// Presses OK on the modal dialog that the next call opens.
inline void AcceptNextDialog() {
    OnNextDialog<QDialog>([](QDialog& dialog) { dialog.accept(); });
}

/// Class names of the modal dialogs that `action` opens; each is closed with Cancel.
inline QStringList DialogsOpenedBy(const std::function<void()>& action) {
    QStringList opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened << dialog->metaObject()->className();
            dialog->reject();
        }
    });
    closer.start(0);
    action();
    return opened;
}

}  // namespace quillon::test
