#include "app/ScreenshotTargets.h"

#include <QDialog>

#include "app/CDataLogFrame.h"

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

}  // namespace

const std::vector<ScreenshotTarget>& ScreenshotTargets() {
    static const std::vector<ScreenshotTarget> targets = {
        {"main", "the main window (the same as no --show)", &MainWindow},
        {"about", "the Help > About box", &AboutBox},
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
