#pragma once
/// Set-up shared by the widget tests: the sample logs' channels, a chart of three curves and the
/// viewer started over a log.

#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

#include "document/CDataLogDoc.h"
#include "gui/app/CBrenmorQuillonLogViewerApp.h"
#include "gui/chart/CDataLogView.h"
#include "model/ChannelInfo.h"
#include "settings/CPrefs.h"

namespace quillon::test {

/// The first n channels after the time that the log has.
inline std::vector<int> AvailableChannels(const LogData& log, int n) {
    std::vector<int> out;
    for (int c = 2; c <= kChannelCount && int(out.size()) < n; ++c)
        if (IsChannelAvailable(log, c)) out.push_back(c);
    return out;
}

/// View 0 made of three of the log's channels, entries 3 (panel 1), 5 and 6 (panel 0) in that
/// order, shown as a chart of `size`; empty when the log lacks the channels.
inline std::unique_ptr<CDataLogView> ShowThreeCurves(CDataLogDoc& doc, CPrefs& prefs, QSize size,
                                                     std::vector<int>* channels = nullptr) {
    const std::vector<int> ch = AvailableChannels(doc.Main(), 3);
    if (channels) *channels = ch;
    if (ch.size() < 3) return nullptr;
    GraphView& view = doc.Config().views[0];
    view.entries = {};
    view.entries[3] = {uint32_t(ch[0]), 1, 1, {}, 1, 0};
    view.entries[5] = {uint32_t(ch[1]), 1, 1, {}, 0, 0};
    view.entries[6] = {uint32_t(ch[2]), 1, 1, {}, 0, 0};
    doc.SetCurrentView(0);
    auto chart = std::make_unique<CDataLogView>(doc, prefs);
    chart->resize(size);
    chart->show();
    if (!QTest::qWaitForWindowExposed(chart.get())) return nullptr;
    return chart;
}

/// The viewer started as main() starts it with `log` on the command line, its documents and
/// settings in `dir`; empty when it does not start.
inline std::unique_ptr<CBrenmorQuillonLogViewerApp> StartViewer(const QTemporaryDir& dir,
                                                                IPrompt& prompt,
                                                                const QString& log) {
    auto app = std::make_unique<CBrenmorQuillonLogViewerApp>(
        dir.filePath(QStringLiteral("Documents")), dir.filePath(QStringLiteral("settings.ini")),
        &prompt);
    LaunchOptions options;
    options.file = log;
    if (!app->InitInstance(options)) app.reset();
    return app;
}

}  // namespace quillon::test
