#include "gui/dialogs/CDlgDataLogSetup.h"

#include <cstring>

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

#include "settings/CPrefs.h"
#include "settings/GraphConfigurationFile.h"
#include "gui/common/AnsiText.h"
#include "gui/common/CGDIPButton.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "document/DataLogViewObserver.h"
#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"
#include "gui/dialogs/CAnsiValidator.h"
#include "gui/dialogs/CListBoxDLView.h"
#include "gui/dialogs/CListBoxLogChannel.h"

namespace quillon {

CDlgDataLogSetup::CDlgDataLogSetup(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt,
                                   const GraphConfiguration& config, const std::string& configPath,
                                   QWidget* parent)
    : CConfigSetupDialog(prefs, prompt, config, configPath, QStringLiteral("Graph Setup"), parent),
      m_doc(doc) {
    m_file.takeControls = [this] { TakeControls(); };
    m_file.refillControls = [this] { FillControls(); };

    m_channels = new CListBoxLogChannel(doc, m_model, this);
    m_channels->setMinimumSize(560, 500);
    connect(m_channels, &CListBoxLogChannel::slotsChanged, this, &CDlgDataLogSetup::OnSlotsChanged);

    m_dropNote = new QLabel(this);
    m_dropNote->setWordWrap(true);
    m_dropNote->setObjectName(QStringLiteral("DropNote"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    QWidget* previous = m_channels;
    for (int v = 0; v < kViewCount; ++v) {
        auto* title = new QLineEdit(this);
        title->setMaxLength(kTitleTyped);
        CAnsiValidator::Attach(title);
        connect(title, &QLineEdit::textEdited, this, [this] { m_file.SetModified(); });
        auto* list = new CListBoxDLView(doc, m_model, v, this);
        list->setFixedHeight(kViewEntryCount * CListBoxDLView::kItemHeight +
                             2 * list->frameWidth());
        list->setMinimumWidth(150);
        connect(list, &CListBoxDLView::slotsChanged, this, &CDlgDataLogSetup::OnSlotsChanged);
        connect(list, &CListBoxDLView::dropNote, m_dropNote, &QLabel::setText);
        const int row = (v / 4) * 2, column = v % 4;
        grid->addWidget(title, row, column);
        grid->addWidget(list, row + 1, column);
        setTabOrder(previous, title);
        setTabOrder(title, list);
        previous = list;
        m_titles[size_t(v)] = title;
        m_views[size_t(v)] = list;
    }
    grid->setRowMinimumHeight(2, 0);

    auto* buttons = new QHBoxLayout;
    const char* texts[] = {"Auto-Fill", "Clear All", "OK", "Cancel"};
    for (const char* text : texts) {
        auto* b = new CGDIPButton(QString::fromLatin1(text), this);
        b->setMinimumSize(90, 28);
        m_buttons.append(b);
        if (std::strcmp(text, "OK") == 0) buttons->addStretch();
        buttons->addWidget(b);
    }
    connect(m_buttons[0], &QAbstractButton::clicked, this, &CDlgDataLogSetup::OnAutoFill);
    connect(m_buttons[1], &QAbstractButton::clicked, this, &CDlgDataLogSetup::OnClearAll);
    connect(m_buttons[2], &QAbstractButton::clicked, this, &CDlgDataLogSetup::OnOK);
    connect(m_buttons[3], &QAbstractButton::clicked, this, &QDialog::reject);

    auto* right = new QVBoxLayout;
    right->addLayout(grid);
    right->addWidget(m_dropNote);
    right->addStretch();
    right->addLayout(buttons);

    auto* main = new QHBoxLayout(this);
    main->setMenuBar(MenuBar());
    main->setContentsMargins(10, 6, 10, 10);
    main->setSpacing(12);
    main->addWidget(m_channels, 1);
    main->addLayout(right);

    FillControls();
    m_file.SetModified(false);
}

CDlgDataLogSetup::~CDlgDataLogSetup() = default;

QAbstractButton* CDlgDataLogSetup::Button(const QString& text) const {
    for (QAbstractButton* b : m_buttons)
        if (b->text() == text) return b;
    return nullptr;
}

void CDlgDataLogSetup::FillControls() {
    m_model.Fill(m_config);
    for (int v = 0; v < kViewCount; ++v)
        m_titles[size_t(v)]->setText(FromAnsi(GraphViewTitle(m_config.views[size_t(v)])));
    RefreshLists();
}

void CDlgDataLogSetup::TakeControls() {
    for (int v = 0; v < kViewCount; ++v) {
        GraphView& view = m_config.views[size_t(v)];
        const std::string title = ToAnsi(m_titles[size_t(v)]->text()).substr(0, kTitleStored);
        std::memset(view.title, 0, sizeof view.title);
        std::memcpy(view.title, title.data(), title.size());
    }
    m_model.TakeInto(m_config);
}

void CDlgDataLogSetup::RefreshLists() {
    for (CListBoxDLView* list : m_views)
        list->Refresh();
    m_channels->viewport()->update();
}

void CDlgDataLogSetup::OnSlotsChanged() {
    m_file.SetModified();
    RefreshLists();
}

void CDlgDataLogSetup::OnAutoFill() {
    m_model.AutoFill([this](int channel) {
        return m_doc.HasLog() && IsChannelAvailable(m_doc.Main(), channel);
    });
    OnSlotsChanged();
}

void CDlgDataLogSetup::OnClearAll() {
    m_model.ClearAll();
    OnSlotsChanged();
}

void CDlgDataLogSetup::OnOK() {
    OfferSave(kSaveCaption, kSaveText);
    TakeControls();
    accept();
}

bool CDlgDataLogSetup::Run(CDataLogDoc& doc, CPrefs& prefs, IPrompt& prompt, QWidget* parent) {
    CDlgDataLogSetup dialog(doc, prefs, prompt, doc.Config(), prefs.GetLastDataLogConfig(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    doc.Config() = dialog.Configuration();
    CDlgDataLogMathChannelSetup::RecomputeMathChannels(doc);
    doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
    return true;
}

}  // namespace quillon
