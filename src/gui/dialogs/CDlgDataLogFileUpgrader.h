#pragma once
/// "Logfile Upgrader": converts any number of legacy logs to version 4, listing the progress
/// lines of every file with the newest line on top.

#include <string>
#include <vector>

#include <QDialog>

class QDialogButtonBox;
class QListWidget;
class QPushButton;

namespace quillon {

class IPrompt;

class CDlgDataLogFileUpgrader : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDataLogFileUpgrader(IPrompt& prompt, QWidget* parent = nullptr);

    /// "Select Logfiles to Upgrade": asks for the files, empties the list and converts each
    /// file in turn with the buttons disabled and the wait cursor shown.
    void OnSelectLogfiles();
    /// Converts the given logs as a selection does; the paths of the logs written.
    std::vector<std::string> ConvertFiles(const std::vector<std::string>& paths);
    /// Puts a line on top of the list and repaints the list at once.
    void AppendLine(const QString& line);

    QListWidget* List() const { return m_list; }
    QPushButton* SelectButton() const { return m_select; }
    QDialogButtonBox* Buttons() const { return m_buttons; }

signals:
    /// Before each file of a batch is converted, while the buttons are disabled.
    void converting(const QString& path);

private:
    void EnableButtons(bool enable);

    IPrompt& m_prompt;
    QPushButton* m_select = nullptr;
    QListWidget* m_list = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

}  // namespace quillon
