#pragma once
/// "Math Channel Setup": names and formulas of the ten math channels, built by double-clicking
/// channels and pressing keypad keys, with a File menu for .graph files. It works on a copy of
/// the configuration; only the definitions go back to the document on OK.

#include <array>
#include <string>

#include "model/GraphConfiguration.h"
#include "gui/dialogs/CConfigSetupDialog.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace quillon {

class CDataLogDoc;
class CEditFormula;
class CListBoxLogMathChannel;
class CPrefs;
class IPrompt;

class CDlgDataLogMathChannelSetup : public CConfigSetupDialog {
    Q_OBJECT
public:
    static constexpr int kRows = kMathChannelCount;
    static constexpr int kNameLength = 17;
    static constexpr char kBadCaption[] = "Bad Formula";
    static constexpr char kBadText[] = "Some formula are not valid, please correct.";
    static constexpr char kSaveCaption[] = "Data Log Config";
    static constexpr char kSaveText[] =
        "The data log config has changed, would you like to save it?";

    /// Takes the view and axis blocks from the document; configPath is the current .graph file.
    CDlgDataLogMathChannelSetup(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt,
                                const std::string& configPath, QWidget* parent = nullptr);
    ~CDlgDataLogMathChannelSetup() override;

    /// The definitions block the caller copies in before the run and reads back after OK.
    void SetDefinitions(const std::array<MathChannelDefinition, kMathChannelCount>& definitions);
    const std::array<MathChannelDefinition, kMathChannelCount>& Definitions() const {
        return m_config.math;
    }

    /// The Math Channels command: the dialog on the document's definitions; on OK they go back,
    /// the math channels and their figures are recomputed and the views are told
    /// (ShownDataChanged).
    static bool Run(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt, QWidget* parent);
    /// Recomputes the math channels of both logs after their definitions changed, with all of
    /// their figures.
    static void RecomputeMathChannels(CDataLogDoc& doc);

    CListBoxLogMathChannel* ChannelList() const { return m_list; }
    QLineEdit* NameField(int row) const { return m_names[size_t(row)]; }
    CEditFormula* FormulaField(int row) const { return m_formulas[size_t(row)]; }
    CEditFormula* ActiveField() const { return m_active; }
    /// A keypad key, "Clear All", "OK" or "Cancel" by its text; null if there is none.
    QAbstractButton* Button(const QString& text) const;
    /// Whether any formula refers to the channel (the list's marker).
    bool IsReferenced(int channel) const;

public slots:
    void OnOK() override;
    void OnClearAll();

private:
    void OnKey(char c);
    void OnBackspace();
    void OnChannelDoubleClicked(int channel);
    void OnFormulaFull();
    void FillRows();
    void TakeRows();
    QAbstractButton* AddButton(const QString& text);

    CDataLogDoc& m_doc;
    CListBoxLogMathChannel* m_list = nullptr;
    std::array<QLineEdit*, kRows> m_names{};
    std::array<CEditFormula*, kRows> m_formulas{};
    CEditFormula* m_active = nullptr;
    QLabel* m_status = nullptr;
    QList<QAbstractButton*> m_buttons;
};

}  // namespace quillon
