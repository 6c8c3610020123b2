#pragma once
/// The File menu of the two setup dialogs: Open, Save and Save As of .graph files on the
/// dialog's own copy of the three configuration blocks, with the current path and the modified
/// flag, asking the user only through the prompt interface.

#include <functional>
#include <string>

#include "model/GraphConfiguration.h"
#include "document/Prompt.h"

namespace quillon {

class GraphConfigFileMenu {
public:
    static constexpr char kOpenCaption[] = "Choose Data Log Config";
    static constexpr char kSaveAsCaption[] = "Save Data Log Config As";
    static constexpr char kFilter[] = "Data Log Configs (.graph) (*.graph)";
    static constexpr char kMessageCaption[] = "Brenmor Quillon Log Viewer";

    GraphConfigFileMenu(GraphConfiguration& config, IPrompt& prompt, std::string configFolder,
                        std::string path);

    /// Copies the dialog's controls into the blocks (before every write).
    std::function<void()> takeControls;
    /// Refills the dialog's controls from the blocks (after Open).
    std::function<void()> refillControls;

    const std::string& Path() const { return m_path; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified = true) { m_modified = modified; }

    /// Asks for a file, offers unsaved changes for saving (Cancel, or a save that does not
    /// happen, stops), then reads it over the blocks. True when a file was read.
    bool Open();
    /// Writes to the current path, or runs Save As without one. True when the file was written.
    bool Save();
    /// Asks for a path (".graph" added when the name has no extension) and writes there.
    bool SaveAs();

private:
    bool Write(const std::string& path);

    GraphConfiguration& m_config;
    IPrompt& m_prompt;
    std::string m_folder;
    std::string m_path;
    bool m_modified = false;
};

}  // namespace quillon
