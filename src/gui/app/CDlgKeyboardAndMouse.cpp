#include "gui/app/CDlgKeyboardAndMouse.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace quillon {

namespace {

const char* MenuTitle(CommandMenu menu) {
    switch (menu) {
        case CommandMenu::File:
            return "File";
        case CommandMenu::Edit:
            return "Edit";
        case CommandMenu::View:
            return "View";
        case CommandMenu::Tools:
            return "Tools";
        case CommandMenu::Zoom:
            return "Zoom";
        case CommandMenu::Comparison:
            return "Comparison";
        case CommandMenu::Help:
            return "Help";
        case CommandMenu::None:
            break;
    }
    return "";
}

// "&Open Data Log..." reads "Open Data Log" in a list.
QString PlainText(const char* menuText) {
    QString text = QString::fromLatin1(menuText);
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    if (text.endsWith(QLatin1String("..."))) text.chop(3);
    return text;
}

struct FixedEntry {
    const char* group;
    const char* input;
    const char* action;
};

// What the panes do with keys and the mouse beyond the command table.
constexpr FixedEntry kFixedEntries[] = {
    {"Chart keys", "Left, Right",
     "Move the cursor one frame (without a cursor: to the first frame shown)"},
    {"Chart keys", "Shift+Left, Shift+Right", "Move the cursor ten frames"},
    {"Chart keys", "Home", "Move the cursor to the first frame"},
    {"Chart keys", "End", "Move the cursor to the last frame of its log"},
    {"Chart keys", "Ctrl+Left, Ctrl+Right", "Move cursor B one frame"},
    {"Chart keys", "Ctrl+Shift+Left, Ctrl+Shift+Right", "Move cursor B ten frames"},
    {"Chart keys", "Esc", "Clear the frames selected in the scatter plot, else remove cursor B"},
    {"Split (View > Split)", "Left, Right", "Move the split 8 pixels"},
    {"Split (View > Split)", "Ctrl+Left, Ctrl+Right", "Move the split 1 pixel"},
    {"Split (View > Split)", "Enter, or a click", "Keep the split"},
    {"Split (View > Split)", "Esc", "Put the split back"},
    {"Chart mouse", "Click on the curves",
     "Set the cursor on the nearest frame of the nearest curve"},
    {"Chart mouse", "Ctrl+click on the curves",
     "Set cursor B, which measures the time and values against the cursor"},
    {"Chart mouse", "Drag across the curves", "Zoom to the time span dragged over"},
    {"Chart mouse", "Wheel", "Zoom in or out around the mouse"},
    {"Chart mouse", "Shift+drag, or drag with the middle button", "Pan the time window"},
    {"Chart mouse", "Click a zoom button", "Zoom In, Zoom Out, Zoom All, Zoom Last"},
    {"Chart mouse", "Click a y axis", "Open the axis setup of its channel"},
    {"Chart mouse", "Click the time axis", "Open the X Axis (RTC) Setup"},
    {"Chart mouse", "Right-click", "Background colour, gradient and border"},
    {"Values pane", "Click a channel's name", "Open the axis setup of its channel"},
    {"Values pane", "Double-click the view's title", "Open the View Configuration"},
    {"Values pane", "Tick Diff (with a comparison log)",
     "Draw main minus comparison as a curve of its own, with its figures in the row"},
    {"Scatter plot", "Click a point", "Move the cursor to its frame"},
    {"Scatter plot", "Wheel", "Zoom in or out around the mouse"},
    {"Scatter plot", "Double-click", "Show every point again"},
    {"Scatter plot", "Shift+drag",
     "Select the frames inside the box: the chart shades them, the table may keep to them"},
    {"Scatter plot", "Esc", "Clear the selection (without one: close the window)"},
    {"Main window", "Drop a .dl or .dlz file", "Open it"},
};

}  // namespace

std::vector<CDlgKeyboardAndMouse::Entry> CDlgKeyboardAndMouse::Entries(
    const std::vector<CommandRow>& commands) {
    std::vector<Entry> entries;
    const QString shortcuts = QStringLiteral("Shortcuts");
    for (const CommandRow& row : commands) {
        if (*row.shortcut == '\0') continue;
        const QString keys =
            QKeySequence::fromString(QString::fromLatin1(row.shortcut), QKeySequence::PortableText)
                .toString(QKeySequence::NativeText);
        QString action = PlainText(row.text);
        if (row.menu != CommandMenu::None)
            action = QStringLiteral("%1 > %2").arg(QLatin1String(MenuTitle(row.menu)), action);
        entries.push_back({shortcuts, keys, action});
    }
    for (const FixedEntry& fixed : kFixedEntries)
        entries.push_back({QString::fromLatin1(fixed.group), QString::fromLatin1(fixed.input),
                           QString::fromLatin1(fixed.action)});
    return entries;
}

CDlgKeyboardAndMouse::CDlgKeyboardAndMouse(const std::vector<CommandRow>& commands, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("KeyboardAndMouse"));
    setWindowTitle(QStringLiteral("Keyboard and Mouse"));
    auto* tree = new QTreeWidget(this);
    tree->setColumnCount(2);
    tree->setHeaderLabels({QStringLiteral("Keys or mouse"), QStringLiteral("Action")});
    tree->setRootIsDecorated(false);
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    tree->setFocusPolicy(Qt::NoFocus);
    QTreeWidgetItem* group = nullptr;
    for (const Entry& entry : Entries(commands)) {
        if (!group || group->text(0) != entry.group) {
            group = new QTreeWidgetItem(tree, {entry.group});
            group->setFirstColumnSpanned(true);
            QFont bold = group->font(0);
            bold.setBold(true);
            group->setFont(0, bold);
            group->setFlags(Qt::ItemIsEnabled);
        }
        auto* item = new QTreeWidgetItem(group, {entry.input, entry.action});
        item->setFlags(Qt::ItemIsEnabled);
        item->setToolTip(1, entry.action);
    }
    tree->expandAll();
    tree->setItemsExpandable(false);
    tree->header()->setStretchLastSection(true);
    tree->resizeColumnToContents(0);
    tree->resizeColumnToContents(1);
    tree->setColumnWidth(0, tree->columnWidth(0) + fontMetrics().averageCharWidth() * 3);
    // Wide and tall enough for every line, so that nothing is cut or scrolled at first.
    const int width = tree->columnWidth(0) + tree->columnWidth(1) + 40;
    int lines = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++lines;
    const int height = tree->header()->sizeHint().height() + lines * tree->sizeHintForRow(0) +
                       2 * tree->frameWidth();
    tree->setMinimumSize(std::min(width, 900), std::min(height, 700));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree);
    layout->addWidget(buttons);
}

}  // namespace quillon
