#include "gui/app/ScreenshotTargets.h"

#include <algorithm>

#include <QDialog>

#include "gui/app/CDataLogFrame.h"
#include "gui/app/CommandIds.h"
#include "settings/CPrefs.h"
#include "document/CDataLogDoc.h"
#include "model/ChannelInfo.h"
#include "model/ColumnCache.h"
#include "gui/dialogs/CDataLogPropertySheet.h"
#include "gui/dialogs/CDlgDataLogAlign.h"
#include "gui/dialogs/CDlgDataLogAutoZero.h"
#include "gui/dialogs/CDlgDataLogAxisSetup.h"
#include "gui/dialogs/CDlgDataLogFileUpgrader.h"
#include "gui/dialogs/CDlgDataLogHistogram.h"
#include "gui/dialogs/CDlgDataLogMathChannelSetup.h"
#include "gui/dialogs/CDlgDataLogRuns.h"
#include "gui/dialogs/CDlgDataLogScatterPlot.h"
#include "gui/dialogs/CDlgDataLogSetup.h"
#include "gui/dialogs/CDlgDataLogXAxisSetup.h"
#include "gui/dialogs/CDlgProgress.h"

namespace quillon {

namespace {

QWidget* MainWindow(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("main takes no argument");
        return nullptr;
    }
    return &context.frame;
}

// Without --cursor, the cursor stands at three tenths of the log.
void PlaceCursor(const ScreenshotContext& context) {
    if (context.doc.GetCursorFrame() >= 0) return;
    context.doc.SetCursor(context.doc.GetFrameCount() * 3 / 10, 0, false);
    context.doc.UpdateAllViews(nullptr, DocumentChange::LogChanged);
}

QWidget* CursorB(const ScreenshotContext& context, QString* error) {
    const int frames = context.doc.GetFrameCount();
    bool ok = true;
    const int frame = context.arg.isEmpty() ? frames * 45 / 100 : context.arg.toInt(&ok);
    if (!ok || frame < 0 || frame >= frames) {
        *error = QStringLiteral("FRAME is a frame number below %1").arg(frames);
        return nullptr;
    }
    PlaceCursor(context);
    // As a Ctrl+click puts it; the chart and the values take it from the document.
    context.doc.SetCursorB(CDataLogDoc::CursorMark{frame, false});
    context.doc.UpdateAllViews(nullptr, DocumentChange::CursorMoved);
    return &context.frame;
}

QWidget* Difference(const ScreenshotContext& context, QString* error) {
    bool ok = true;
    const int channel = context.arg.isEmpty() ? 2 : context.arg.toInt(&ok);  // RPM
    if (!ok || channel < 1 || channel > kChannelCount) {
        *error = QStringLiteral("CHANNEL is a channel number from 1 to %1").arg(kChannelCount);
        return nullptr;
    }
    if (!context.doc.IsComparisonLoaded()) {
        *error = QStringLiteral("needs a comparison log (--compare LOG2)");
        return nullptr;
    }
    PlaceCursor(context);
    // As a tick of the channel's Diff box does it.
    context.doc.SetDifferenceShown(channel, true);
    context.doc.UpdateAllViews(nullptr, DocumentChange::ShownDataChanged);
    return &context.frame;
}

QWidget* Selection(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("selection takes no argument");
        return nullptr;
    }
    // The frames a Shift box over the scatter plot's upper RPM range picks (RPM against MAP).
    LogData& log = context.doc.Main();
    constexpr int kRpm = 2, kMap = 29;
    if (!EnsureColumns(log, {kRpm - 1, kMap - 1})) {
        *error = QStringLiteral("the log's columns could not be read");
        return nullptr;
    }
    const ChannelStats& rpm = log.stats[kRpm - 1];
    const ChannelStats& map = log.stats[kMap - 1];
    const ValueBox box{rpm.minimum + (rpm.maximum - rpm.minimum) * 0.7, rpm.maximum, map.minimum,
                       map.maximum};
    context.doc.SetSelection(
        FrameSelection::InBox(log.values[kRpm - 1].data(), log.values[kMap - 1].data(),
                              size_t(log.frameCount), box),
        nullptr);
    return &context.frame;
}

QWidget* AboutBox(const ScreenshotContext& context, QString* /*error*/) {
    return context.frame.CreateAboutBox();
}

QWidget* KeyboardAndMouse(const ScreenshotContext& context, QString* /*error*/) {
    return context.frame.CreateKeyboardAndMouseWindow();
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

QWidget* AxisSetup(const ScreenshotContext& context, QString* error) {
    bool ok = true;
    const int entry = context.arg.isEmpty() ? 0 : context.arg.toInt(&ok);
    if (!ok || entry < 0 || entry > 15) {
        *error = QStringLiteral("the entry must be 0 to 15");
        return nullptr;
    }
    return new CDlgDataLogAxisSetup(context.doc, entry, &context.frame);
}

QWidget* XAxisSetup(const ScreenshotContext& context, QString* /*error*/) {
    return new CDlgDataLogXAxisSetup(context.doc, &context.frame);
}

QWidget* AutoZero(const ScreenshotContext& context, QString* /*error*/) {
    return new CDlgDataLogAutoZero(context.doc, false, &context.frame);
}

QWidget* ComparisonAutoZero(const ScreenshotContext& context, QString* /*error*/) {
    return new CDlgDataLogAutoZero(context.doc, true, &context.frame);
}

QWidget* ExportProgress(const ScreenshotContext& context, QString* /*error*/) {
    // Part-way: the update nearest to 40 % of the frames.
    auto* progress = new CDlgProgress(&context.frame);
    const int n = context.doc.GetFrameCount();
    progress->Start(QStringLiteral("Data Log Export"), QStringLiteral("Data System Log..."), n);
    const int step = n <= 500 ? 1 : n / 500;
    progress->SetPos(std::max(1, n * 2 / 5 / step * step));
    return progress;
}

QWidget* Upgrader(const ScreenshotContext& context, QString* /*error*/) {
    return new CDlgDataLogFileUpgrader(context.prompt, &context.frame);
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

QWidget* Histogram(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("histogram takes no argument");
        return nullptr;
    }
    // AFR Average by RPM and MAP, as Tools > Histogram and Table opens it.
    context.frame.ExecuteCommand(ID_HISTOGRAM);
    if (!context.frame.Histogram()) *error = QStringLiteral("the table window did not open");
    return context.frame.Histogram();
}

QWidget* Runs(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("runs takes no argument");
        return nullptr;
    }
    // TPS above 90 to TPS below 20, as Tools > Find Runs opens it.
    context.frame.ExecuteCommand(ID_FIND_RUNS);
    if (!context.frame.Runs()) *error = QStringLiteral("the Find Runs window did not open");
    return context.frame.Runs();
}

QWidget* Align(const ScreenshotContext& context, QString* error) {
    if (!context.arg.isEmpty()) {
        *error = QStringLiteral("align takes no argument");
        return nullptr;
    }
    if (!context.doc.IsComparisonLoaded()) {
        *error = QStringLiteral("needs a comparison log (--compare LOG2)");
        return nullptr;
    }
    return new CDlgDataLogAlign(context.doc, &context.frame);
}

}  // namespace

const std::vector<ScreenshotTarget>& ScreenshotTargets() {
    static const std::vector<ScreenshotTarget> targets = {
        {"main", "the main window (the same as no --show)", &MainWindow},
        {"cursor-b",
         "the main window with cursor B on frame ARG (default: 45% of the log) and cursor A "
         "from --cursor (default: 30%)",
         &CursorB},
        {"difference",
         "the main window with the difference curve of channel ARG (default 2, RPM; needs "
         "--compare)",
         &Difference},
        {"selection",
         "the main window shading the frames that a Shift box over the scatter plot's upper RPM "
         "range selects",
         &Selection},
        {"about", "the Help > About box", &AboutBox},
        {"keyboard", "the Help > Keyboard and Mouse window", &KeyboardAndMouse},
        {"math-channels", "the Tools > Math Channels dialog", &MathChannelSetup},
        {"graph-setup", "the Tools > View Configuration dialog (Graph Setup)", &GraphSetup},
        {"axis-setup", "the axis setup of entry ARG (0..15, default 0) of the current view",
         &AxisSetup},
        {"x-axis", "the X Axis (RTC) Setup dialog", &XAxisSetup},
        {"auto-zero", "the auto-zero dialog of the main log", &AutoZero},
        {"comparison-auto-zero", "the auto-zero dialog of the comparison log", &ComparisonAutoZero},
        {"export-progress", "the export's progress window part-way", &ExportProgress},
        {"upgrader", "the Logfile Upgrader dialog", &Upgrader},
        {"properties", "File > Properties, at page 1..7 (properties:PAGE)", &MainProperties},
        {"comparison-properties", "Comparison > Properties, at page 1..7 (needs --compare)",
         &ComparisonProperties},
        {"scatter", "Tools > Scatter Plot with its default channels", &ScatterPlot},
        {"histogram", "Tools > Histogram and Table: AFR Average by RPM and MAP", &Histogram},
        {"runs", "Tools > Find Runs: TPS above 90 to TPS below 20", &Runs},
        {"align", "Comparison > Align by RPM over the chart's window (needs --compare)", &Align},
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
