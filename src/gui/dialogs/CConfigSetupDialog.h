#pragma once
/// The common frame of the graph and math channel setup dialogs: the dialog's own copy of the
/// three configuration blocks with the File menu of .graph files over it, drawn on the program's
/// artwork (black beyond it), Return and Enter running the dialog's OK wherever the focus is.

#include <string>

#include <QDialog>

#include "model/GraphConfiguration.h"
#include "gui/dialogs/GraphConfigFileMenu.h"

class QAction;
class QMenuBar;

namespace quillon {

class CPrefs;
class IPrompt;

class CConfigSetupDialog : public QDialog {
public:
    /// `configPath` is the current .graph file.
    CConfigSetupDialog(CPrefs& prefs, IPrompt& prompt, const GraphConfiguration& config,
                       const std::string& configPath, const QString& title, QWidget* parent);

    /// Checks and takes the dialog's input, then accepts it (or stays open).
    virtual void OnOK() = 0;

    QAction* OpenAction() const { return m_open; }
    QAction* SaveAction() const { return m_save; }
    QAction* SaveAsAction() const { return m_saveAs; }
    bool IsModified() const { return m_file.IsModified(); }
    const std::string& ConfigPath() const { return m_file.Path(); }

protected:
    /// The File menu, for the dialog's layout.
    QMenuBar* MenuBar() const { return m_bar; }
    /// Offers unsaved changes for saving (a Save As that is cancelled does not stop the OK) and
    /// keeps the file as the last configuration.
    void OfferSave(const char* caption, const char* text);

    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    CPrefs& m_prefs;
    IPrompt& m_prompt;
    GraphConfiguration m_config;
    GraphConfigFileMenu m_file;

private:
    QMenuBar* m_bar = nullptr;
    QAction* m_open = nullptr;
    QAction* m_save = nullptr;
    QAction* m_saveAs = nullptr;
};

}  // namespace quillon
