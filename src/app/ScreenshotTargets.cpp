#include "app/ScreenshotTargets.h"

#include <QDialog>

#include "app/CDataLogFrame.h"
#include "app/CommandIds.h"
#include "dialogs/CDlgDataLogScatterPlot.h"

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

QWidget* ScatterPlot(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("scatter takes no argument");
        return nullptr;
    }
    // Opened as Tools > Scatter Plot opens it, with its default channels.
    context.frame.ExecuteCommand(ID_SCATTER_PLOT);
    if (!context.frame.ScatterPlot()) *error = QStringLiteral("the scatter plot did not open");
    return context.frame.ScatterPlot();
}

}  // namespace

const std::vector<ScreenshotTarget>& ScreenshotTargets() {
    static const std::vector<ScreenshotTarget> targets = {
        {"main", "the main window (the same as no --show)", &MainWindow},
        {"about", "the Help > About box", &AboutBox},
        {"scatter", "Tools > Scatter Plot with its default channels", &ScatterPlot},
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
