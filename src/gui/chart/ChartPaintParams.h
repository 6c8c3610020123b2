#pragma once
/// Everything one picture of the strip chart needs, gathered by the view: the model, where the
/// parts lie, the visible window, the appearance settings, and what the fore layer shows (cursor,
/// cursor table, zoom band).

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>

#include "analysis/FrameSelection.h"
#include "gui/chart/ChartLayout.h"
#include "gui/chart/ChartModel.h"
#include "gui/chart/ChartTypes.h"
#include "gui/chart/CursorTable.h"

namespace quillon {

struct ChartPaintParams {
    const ChartModel* model = nullptr;
    const ChartLayout* layout = nullptr;  // computed for `size`
    QSizeF size;                          // in logical pixels
    TimeWindow window;
    QFont font;

    // Back layer.
    QColor background{240, 240, 240};
    bool gradient = false;
    int borderType = 2;  // 0 none, 1 line, 2 shadow, 3 inset
    /// The selected frames of the main log, shaded under the curves; null: none.
    const FrameSelection* selection = nullptr;
    const float* mainTimes = nullptr;  // the main log's frame times
    int mainCount = 0;

    // Fore layer.
    const CursorTable* table = nullptr;
    int cursorItem = -1;  // -1: no cursor
    bool cursorOnComparison = false;
    int cursorFrame = -1;
    double cursorTime = 0;  // the cursor frame's time on its log
    int cursorBFrame = -1;  // the second cursor; -1: none
    double cursorBTime = 0;
    QString cursorBReadout;  // the time from the cursor to B
    bool zoomLastEnabled = false;
    /// Pictures (export, copy) leave out the zoom buttons, which cannot be clicked there, and
    /// show this text (the log's name and time range) in their place.
    bool picture = false;
    QString caption;
    bool showBand = false;  // a box zoom in progress, between bandX0 and bandX1
    double bandX0 = 0;
    double bandX1 = 0;
};

}  // namespace quillon
