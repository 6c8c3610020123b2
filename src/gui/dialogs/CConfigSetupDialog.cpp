#include "gui/dialogs/CConfigSetupDialog.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include "settings/CPrefs.h"
#include "gui/common/CBGImage.h"

namespace quillon {

CConfigSetupDialog::CConfigSetupDialog(CPrefs& prefs, IPrompt& prompt,
                                       const GraphConfiguration& config,
                                       const std::string& configPath, const QString& title,
                                       QWidget* parent)
    : QDialog(parent),
      m_prefs(prefs),
      m_prompt(prompt),
      m_config(config),
      m_file(m_config, prompt, prefs.GetConfigFolder(), configPath) {
    setWindowTitle(title);
    setModal(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    m_bar = new QMenuBar(this);
    m_bar->setStyleSheet(
        QStringLiteral("QMenuBar { background: rgb(22, 24, 30); color: white; }"
                       "QMenuBar::item:selected { background: rgb(60, 70, 100); }"));
    QMenu* file = m_bar->addMenu(QStringLiteral("&File"));
    m_open = file->addAction(QStringLiteral("&Open"), this, [this] { m_file.Open(); });
    m_save = file->addAction(QStringLiteral("&Save"), this, [this] { m_file.Save(); });
    m_saveAs = file->addAction(QStringLiteral("Save &As"), this, [this] { m_file.SaveAs(); });
}

void CConfigSetupDialog::OfferSave(const char* caption, const char* text) {
    if (m_file.IsModified() && m_prompt.Question(caption, text) == PromptAnswer::Yes) m_file.Save();
    m_prefs.SetLastDataLogConfig(m_file.Path());
}

void CConfigSetupDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return event->accept();
    }
    QDialog::keyPressEvent(event);
}

void CConfigSetupDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(0, 0, CBGImage::Artwork());
}

}  // namespace quillon
