#include "app/ScreenshotTargets.h"

#include <QDialog>

#include "app/CDataLogFrame.h"
#include "datalog/CDataLogDoc.h"
#include "dialogs/CDataLogPropertySheet.h"

namespace quillon {

namespace {

QWidget* MainWindow(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("main takes no argument");
        return nullptr;
    }
    return &context.frame;
}

QWidget* AboutBox(const ScreenshotContext& context, QString* /*error*/) {
    return context.frame.CreateAboutBox();
}

// A properties sheet opened at page ARG (1..7 in tab order, 1 when none is given).
QWidget* PropertySheet(const ScreenshotContext& context, QString* error, bool comparison) {
    int page = 1;
    if (!context.arg.isEmpty()) {
        bool ok = false;
        page = context.arg.toInt(&ok);
        if (!ok || page < 1 || page > CDataLogPropertySheet::kPageCount) {
            *error = QStringLiteral("PAGE is a number from 1 to %1")
                         .arg(CDataLogPropertySheet::kPageCount);
            return nullptr;
        }
    }
    if (comparison && !context.doc.IsComparisonLoaded()) {
        *error = QStringLiteral("needs a comparison log (--compare LOG2)");
        return nullptr;
    }
    auto* sheet = new CDataLogPropertySheet(context.doc, context.prefs, comparison, &context.frame);
    sheet->setAttribute(Qt::WA_DeleteOnClose, false);  // the caller owns it
    sheet->SetActivePage(page - 1);
    return sheet;
}

QWidget* MainProperties(const ScreenshotContext& context, QString* error) {
    return PropertySheet(context, error, false);
}

QWidget* ComparisonProperties(const ScreenshotContext& context, QString* error) {
    return PropertySheet(context, error, true);
}

}  // namespace

const std::vector<ScreenshotTarget>& ScreenshotTargets() {
    static const std::vector<ScreenshotTarget> targets = {
        {"main", "the main window (the same as no --show)", &MainWindow},
        {"about", "the Help > About box", &AboutBox},
        {"properties", "File > Properties, at page 1..7 (properties:PAGE)", &MainProperties},
        {"comparison-properties", "Comparison > Properties, at page 1..7 (needs --compare)",
         &ComparisonProperties},
    };
    return targets;
}

const ScreenshotTarget* FindScreenshotTarget(const QString& name) {
    for (const ScreenshotTarget& target : ScreenshotTargets())
        if (name == QLatin1String(target.name)) return &target;
    return nullptr;
}

QStringList ScreenshotTargetList() {
    QStringList lines;
    for (const ScreenshotTarget& target : ScreenshotTargets())
        lines << QStringLiteral("  %1  %2")
                     .arg(QLatin1String(target.name), -24)
                     .arg(QLatin1String(target.description));
    return lines;
}

}  // namespace quillon
