#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

#include "settings/CPrefs.h"
#include "settings/GraphConfigurationFile.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CGDIPButton.h"
#include "gui/common/CGDIPGlowLabel.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelNaming.h"
#include "analysis/ChannelStatistics.h"
#include "document/DataLogViewObserver.h"
#include "gui/dialogs/CAnsiValidator.h"
#include "gui/dialogs/CEditFormula.h"
#include "gui/dialogs/CListBoxLogMathChannel.h"
#include "analysis/MathChannels.h"

namespace quillon {

namespace {

// The figures that the math computation leaves alone (deviation, start, end, delta, count,
// slope) follow the new values too, over the whole log like its minimum, maximum and average;
// otherwise a freshly defined channel would show the figures of what its slot held before.
void RefreshMathFigures(LogData& log, const GraphConfiguration& config) {
    if (log.frameCount <= 0) return;
    auto all = std::make_unique<std::array<ChannelStats, kSlotCount>>();
    ComputeChannelStats(log, 0, log.frameCount, *all);
    for (int i = 0; i < kMathChannelCount; ++i) {
        const MathChannelDefinition& d = config.math[size_t(i)];
        if (MathChannelName(d).empty() || MathChannelFormula(d).empty()) continue;
        const size_t slot = size_t(kFirstMathChannel - 1) + size_t(i);
        ChannelStats& s = log.stats[slot];
        const ChannelStats& f = (*all)[slot];
        s.standardDeviation = f.standardDeviation;
        s.startValue = f.startValue;
        s.endValue = f.endValue;
        s.delta = f.delta;
        s.count = f.count;
        s.slope = f.slope;
    }
}

}  // namespace

CDlgDataLogMathChannelSetup::CDlgDataLogMathChannelSetup(CDataLogDoc& doc, CPrefs& prefs,
                                                         IPrompt& prompt,
                                                         const std::string& configPath,
                                                         QWidget* parent)
    : CConfigSetupDialog(prefs, prompt, doc.Config(), configPath,
                         QStringLiteral("Math Channel Setup"), parent),
      m_doc(doc) {
    m_file.takeControls = [this] { TakeRows(); };
    m_file.refillControls = [this] { FillRows(); };

    auto names = [this](int channel) { return GetChannelName(m_doc.Main().config, channel); };
    m_list = new CListBoxLogMathChannel(doc, this);
    m_list->setMinimumSize(520, 430);
    m_list->isMarked = [this](uint32_t channel) { return IsReferenced(int(channel)); };
    connect(m_list, &CListBoxLogMathChannel::channelDoubleClicked, this,
            &CDlgDataLogMathChannelSetup::OnChannelDoubleClicked);

    auto* rows = new QGridLayout;
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(4);
    QFont headingFont = font();
    headingFont.setBold(true);
    const char* headings[] = {"NAME", "FORMULA"};
    for (int column = 0; column < 2; ++column) {
        auto* label = new CGDIPGlowLabel(this, QString::fromLatin1(headings[column]));
        label->SetLabelFont(headingFont);
        label->SetGlow(1);
        label->setFixedHeight(20);
        rows->addWidget(label, 0, column);
    }
    QWidget* previous = m_list;
    for (int i = 0; i < kRows; ++i) {
        auto* name = new QLineEdit(this);
        name->setMaxLength(kNameLength);
        name->setFixedWidth(140);
        CAnsiValidator::Attach(name);
        connect(name, &QLineEdit::textEdited, this, [this] { m_file.SetModified(); });
        auto* formula = new CEditFormula(names, this);
        formula->setMinimumWidth(400);
        connect(formula, &CEditFormula::activated, this,
                [this](CEditFormula* field) { m_active = field; });
        connect(formula, &CEditFormula::formulaChanged, m_list->viewport(),
                qOverload<>(&QWidget::update));
        connect(formula, &CEditFormula::formulaFull, this,
                &CDlgDataLogMathChannelSetup::OnFormulaFull);
        rows->addWidget(name, i + 1, 0);
        rows->addWidget(formula, i + 1, 1);
        setTabOrder(previous, name);
        setTabOrder(name, formula);
        previous = formula;
        m_names[size_t(i)] = name;
        m_formulas[size_t(i)] = formula;
    }

    // Keypad: digits, operators and Backspace insert into the last focused formula field.
    auto* keypad = new QGridLayout;
    keypad->setSpacing(4);
    const char* keys[4][5] = {{"7", "8", "9", "/", "("},
                              {"4", "5", "6", "*", ")"},
                              {"1", "2", "3", "-", "+"},
                              {"0", ".", nullptr, nullptr, nullptr}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            if (!keys[r][c]) continue;
            QAbstractButton* key = AddButton(QString::fromLatin1(keys[r][c]));
            key->setFixedSize(44, 26);
            const char ch = keys[r][c][0];
            connect(key, &QAbstractButton::clicked, this, [this, ch] { OnKey(ch); });
            keypad->addWidget(key, r, c);
        }
    QAbstractButton* backspace = AddButton(QStringLiteral("Backspace"));
    backspace->setFixedHeight(26);
    connect(backspace, &QAbstractButton::clicked, this, &CDlgDataLogMathChannelSetup::OnBackspace);
    keypad->addWidget(backspace, 3, 2, 1, 3);

    QAbstractButton* clearAll = AddButton(QStringLiteral("Clear All"));
    QAbstractButton* ok = AddButton(QStringLiteral("OK"));
    QAbstractButton* cancel = AddButton(QStringLiteral("Cancel"));
    for (QAbstractButton* b : {clearAll, ok, cancel})
        b->setMinimumSize(90, 28);
    connect(clearAll, &QAbstractButton::clicked, this, &CDlgDataLogMathChannelSetup::OnClearAll);
    connect(ok, &QAbstractButton::clicked, this, &CDlgDataLogMathChannelSetup::OnOK);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);

    m_status = new QLabel(this);
    m_status->setStyleSheet(QStringLiteral("color: rgb(255, 200, 80);"));

    auto* commands = new QVBoxLayout;
    commands->addWidget(clearAll);
    commands->addStretch();
    commands->addWidget(ok);
    commands->addWidget(cancel);
    auto* lower = new QHBoxLayout;
    lower->addLayout(keypad);
    lower->addStretch();
    lower->addLayout(commands);

    auto* right = new QVBoxLayout;
    right->addLayout(rows);
    right->addSpacing(8);
    right->addLayout(lower);
    right->addWidget(m_status);

    auto* main = new QHBoxLayout(this);
    main->setMenuBar(MenuBar());
    main->setContentsMargins(10, 6, 10, 10);
    main->setSpacing(12);
    main->addWidget(m_list, 1);
    main->addLayout(right);

    FillRows();
    m_file.SetModified(false);
}

CDlgDataLogMathChannelSetup::~CDlgDataLogMathChannelSetup() = default;

QAbstractButton* CDlgDataLogMathChannelSetup::AddButton(const QString& text) {
    auto* button = new CGDIPButton(text, this);
    m_buttons.append(button);
    return button;
}

QAbstractButton* CDlgDataLogMathChannelSetup::Button(const QString& text) const {
    for (QAbstractButton* b : m_buttons)
        if (b->text() == text) return b;
    return nullptr;
}

void CDlgDataLogMathChannelSetup::SetDefinitions(
    const std::array<MathChannelDefinition, kMathChannelCount>& definitions) {
    m_config.math = definitions;
    FillRows();
    m_file.SetModified(false);
}

void CDlgDataLogMathChannelSetup::FillRows() {
    for (int i = 0; i < kRows; ++i) {
        const MathChannelDefinition& d = m_config.math[size_t(i)];
        m_names[size_t(i)]->setText(FromAnsi(MathChannelName(d)));
        m_formulas[size_t(i)]->SetFormula(MathChannelFormula(d));
    }
    m_list->viewport()->update();
}

void CDlgDataLogMathChannelSetup::TakeRows() {
    for (int i = 0; i < kRows; ++i) {
        MathChannelDefinition& d = m_config.math[size_t(i)];
        const std::string name = ToAnsi(m_names[size_t(i)]->text()).substr(0, kNameLength);
        const std::string& formula = m_formulas[size_t(i)]->Formula();
        std::memset(d.name, 0, sizeof d.name);
        std::memset(d.formula, 0, sizeof d.formula);
        std::memcpy(d.name, name.data(), name.size());
        std::memcpy(d.formula, formula.data(), std::min(formula.size(), sizeof d.formula - 1));
    }
}

bool CDlgDataLogMathChannelSetup::IsReferenced(int channel) const {
    char reference[16];
    std::snprintf(reference, sizeof reference, "[%03i]", channel);
    for (const CEditFormula* f : m_formulas)
        if (f && f->Formula().find(reference) != std::string::npos) return true;
    return false;
}

void CDlgDataLogMathChannelSetup::OnKey(char c) {
    if (!m_active) return;
    if (m_active->InsertChar(c)) m_status->clear();
}

void CDlgDataLogMathChannelSetup::OnBackspace() {
    if (!m_active) return;
    m_active->Backspace();
    m_status->clear();
    m_list->viewport()->update();
}

void CDlgDataLogMathChannelSetup::OnChannelDoubleClicked(int channel) {
    if (!m_active) return;
    if (m_active->InsertReference(channel)) m_status->clear();
    m_list->viewport()->update();
}

void CDlgDataLogMathChannelSetup::OnFormulaFull() {
    QApplication::beep();
    m_status->setText(QStringLiteral("A formula holds at most %1 characters.")
                          .arg(FormulaEditModel::kMaxFormula));
}

void CDlgDataLogMathChannelSetup::OnClearAll() {
    for (int i = 0; i < kRows; ++i) {
        m_names[size_t(i)]->clear();
        m_formulas[size_t(i)]->SetFormula({});
    }
    m_list->viewport()->update();
    m_file.SetModified();
}

void CDlgDataLogMathChannelSetup::OnOK() {
    bool valid = true;
    for (CEditFormula* f : m_formulas)
        valid = f->Check() && valid;
    if (!valid) {
        m_prompt.Message(kBadCaption, kBadText);
        return;
    }
    // A Save As that is cancelled does not stop the OK: the definitions still go back.
    OfferSave(kSaveCaption, kSaveText);
    TakeRows();
    accept();
}

bool CDlgDataLogMathChannelSetup::Run(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt,
                                      QWidget* parent) {
    CDlgDataLogMathChannelSetup dialog(doc, prefs, prompt, prefs.GetLastDataLogConfig(), parent);
    dialog.SetDefinitions(doc.Config().math);
    if (dialog.exec() != QDialog::Accepted) return false;
    doc.Config().math = dialog.Definitions();
    RecomputeMathChannels(doc);
    doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
    return true;
}

void CDlgDataLogMathChannelSetup::RecomputeMathChannels(CDataLogDoc& doc) {
    doc.RecomputeMathChannels();
    RefreshMathFigures(doc.Main(), doc.Config());
    if (doc.IsComparisonLoaded()) RefreshMathFigures(doc.Comparison(), doc.Config());
}

}  // namespace quillon
