#include "gui/dialogs/GraphConfigFileMenu.h"

#include <utility>

#include "settings/GraphConfigurationFile.h"
#include "texts/UserTexts.h"

namespace quillon {

GraphConfigFileMenu::GraphConfigFileMenu(GraphConfiguration& config, IPrompt& prompt,
                                         std::string configFolder, std::string path)
    : m_config(config),
      m_prompt(prompt),
      m_folder(std::move(configFolder)),
      m_path(std::move(path)) {}

bool GraphConfigFileMenu::Open() {
    const std::string path = m_prompt.OpenFileName({kOpenCaption, m_folder, {}, kFilter});
    if (path.empty()) return false;
    if (m_modified) {
        const std::string name = m_path.empty() ? std::string("Untitled") : m_path;
        switch (m_prompt.QuestionWithCancel(kMessageCaption, "Save changes to " + name + "?")) {
            case PromptAnswer::Cancel:
                return false;
            case PromptAnswer::No:
                break;
            default:
                // Going on after a failed or cancelled save would drop the changes unasked.
                if (!Save()) return false;
        }
    }
    if (!ReadGraphConfigurationFile(path, m_config)) {
        m_prompt.Message(kMessageCaption, kOpenErrorText);
        return false;
    }
    m_path = path;
    if (refillControls) refillControls();
    m_modified = false;
    return true;
}

bool GraphConfigFileMenu::Save() {
    if (m_path.empty()) return SaveAs();
    if (takeControls) takeControls();
    return Write(m_path);
}

bool GraphConfigFileMenu::SaveAs() {
    if (takeControls) takeControls();
    std::string path = m_prompt.SaveFileName({kSaveAsCaption, m_folder, {}, kFilter});
    if (path.empty()) return false;
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) path += ".graph";
    return Write(path);
}

bool GraphConfigFileMenu::Write(const std::string& path) {
    if (!WriteGraphConfigurationFile(path, m_config)) {
        m_prompt.Message(kMessageCaption, kSaveErrorText);
        return false;
    }
    m_path = path;
    m_modified = false;
    return true;
}

}  // namespace quillon
