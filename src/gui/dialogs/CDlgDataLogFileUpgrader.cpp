#include "gui/dialogs/CDlgDataLogFileUpgrader.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/TextConversion.h"
#include "document/Prompt.h"
#include "format/LegacyConverter.h"
#include "platform/FileSystem.h"

namespace quillon {

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CDlgDataLogFileUpgrader::CDlgDataLogFileUpgrader(IPrompt& prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
    setObjectName(QStringLiteral("DlgDataLogFileUpgrader"));
    setWindowTitle(QStringLiteral("Logfile Upgrader"));
    m_select = new QPushButton(QStringLiteral("Select Logfiles to Upgrade"), this);
    m_select->setAutoDefault(false);
    m_list = new QListWidget(this);
    m_list->setUniformItemSizes(true);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_select, &QPushButton::clicked, this, &CDlgDataLogFileUpgrader::OnSelectLogfiles);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_select, 0, Qt::AlignLeft);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_buttons);
    resize(560, 360);
}

void CDlgDataLogFileUpgrader::OnSelectLogfiles() {
    FileDialogRequest request;
    request.caption = "Convert KORA Datalogs";
    request.filter = "KORA Datalog (*.dl)";
    // The platform's dialog hands back any number of names of any length.
    const std::vector<std::string> paths = m_prompt.OpenFileNames(request);
    if (paths.empty()) return;
    ConvertFiles(paths);
}

std::vector<std::string> CDlgDataLogFileUpgrader::ConvertFiles(
    const std::vector<std::string>& paths) {
    std::vector<std::string> written;
    m_list->clear();
    EnableButtons(false);
    {
        WaitCursor wait;
        for (const std::string& path : paths) {
            const QString shown = FromCorePath(path);
            emit converting(shown);
            AppendLine(QStringLiteral("Converting ") + shown);
            std::string newPath;
            // An earlier conversion may hold the user's edits: it is replaced only when asked.
            if (ConvertLegacyLog(
                    path, [this](const std::string& line) { AppendLine(FromCoreText(line)); }, {},
                    &newPath,
                    [this](const std::string& target) {
                        return m_prompt.Question(
                                   "Logfile Upgrader",
                                   fs::FileNameOf(target) +
                                       " already exists.\nDo you want to replace it?") ==
                               PromptAnswer::Yes;
                    }))
                written.push_back(newPath);
        }
    }
    EnableButtons(true);
    return written;
}

void CDlgDataLogFileUpgrader::AppendLine(const QString& line) {
    m_list->insertItem(0, line);
    // The batch runs inside the button press; lay the list out and paint it now so that each
    // line shows as it happens.
    m_list->doItemsLayout();
    m_list->viewport()->repaint();
}

void CDlgDataLogFileUpgrader::EnableButtons(bool enable) {
    m_select->setEnabled(enable);
    m_buttons->setEnabled(enable);
}

}  // namespace quillon
