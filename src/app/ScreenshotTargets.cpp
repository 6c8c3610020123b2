#include "app/ScreenshotTargets.h"

#include <QDialog>

#include "app/CDataLogFrame.h"
#include "config/CPrefs.h"
#include "datalog/CDataLogDoc.h"
#include "dialogs/CDlgDataLogMathChannelSetup.h"
#include "dialogs/CDlgDataLogSetup.h"

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

QWidget* MathChannelSetup(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("math-channels takes no argument");
        return nullptr;
    }
    auto* dialog = new CDlgDataLogMathChannelSetup(context.doc, context.prefs, context.prompt,
                                                   context.prefs.GetLastDataLogConfig());
    dialog->SetDefinitions(context.doc.Config().math);
    return dialog;
}

QWidget* GraphSetup(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("graph-setup takes no argument");
        return nullptr;
    }
    return new CDlgDataLogSetup(context.doc, context.prefs, context.prompt, context.doc.Config(),
                                context.prefs.GetLastDataLogConfig());
}

}  // namespace

const std::vector<ScreenshotTarget>& ScreenshotTargets() {
    static const std::vector<ScreenshotTarget> targets = {
        {"main", "the main window (the same as no --show)", &MainWindow},
        {"about", "the Help > About box", &AboutBox},
        {"math-channels", "the Tools > Math Channels dialog", &MathChannelSetup},
        {"graph-setup", "the Tools > View Configuration dialog (Graph Setup)", &GraphSetup},
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
