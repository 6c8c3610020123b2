#pragma once
/// "Graph Setup": which channels the eight views show. Channels are dragged from the channel
/// list into the views' slots, rearranged inside a view and dragged back out; the dialog also
/// opens and saves .graph files. It works on a copy of the three configuration blocks, which
/// the caller takes back on OK.

#include <array>
#include <string>

#include "model/GraphConfiguration.h"
#include "gui/dialogs/CConfigSetupDialog.h"
#include "gui/dialogs/GraphSetupModel.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace quillon {

class CDataLogDoc;
class CListBoxDLView;
class CListBoxLogChannel;
class CPrefs;
class IPrompt;

class CDlgDataLogSetup : public CConfigSetupDialog {
    Q_OBJECT
public:
    static constexpr int kTitleTyped = 20;
    static constexpr int kTitleStored = 19;
    static constexpr char kSaveCaption[] = "Config Setup";
    static constexpr char kSaveText[] = "The config has changed, would you like to save it?";

    CDlgDataLogSetup(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt,
                     const GraphConfiguration& config, const std::string& configPath,
                     QWidget* parent = nullptr);
    ~CDlgDataLogSetup() override;

    /// The three blocks as the dialog holds them (after OK: what goes back to the document).
    const GraphConfiguration& Configuration() const { return m_config; }

    /// View Configuration, "Ed", "Edit Views" and the title double click: the dialog on copies
    /// of the document's blocks; on OK they go back, the math channels are recomputed and the
    /// views are told (ShownDataChanged).
    static bool Run(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt, QWidget* parent);

    CListBoxLogChannel* ChannelList() const { return m_channels; }
    CListBoxDLView* ViewList(int view) const { return m_views[size_t(view)]; }
    QLineEdit* TitleField(int view) const { return m_titles[size_t(view)]; }
    QAbstractButton* Button(const QString& text) const;
    /// Says why the last drop over a view list was refused; empty otherwise.
    QLabel* DropNote() const { return m_dropNote; }
    const GraphSetupModel& Model() const { return m_model; }

public slots:
    void OnOK() override;
    void OnAutoFill();
    void OnClearAll();

private:
    void FillControls();
    void TakeControls();
    void RefreshLists();
    void OnSlotsChanged();

    CDataLogDoc& m_doc;
    GraphSetupModel m_model;
    CListBoxLogChannel* m_channels = nullptr;
    std::array<CListBoxDLView*, kViewCount> m_views{};
    QLabel* m_dropNote = nullptr;
    std::array<QLineEdit*, kViewCount> m_titles{};
    QList<QAbstractButton*> m_buttons;
};

}  // namespace quillon
