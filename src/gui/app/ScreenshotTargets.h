#pragma once
/// What `--screenshot --show NAME[:ARG]` can picture: one row per name, each making the widget
/// (usually a dialog) to grab once the log is open and the main window is laid out.

#include <vector>

#include <QString>
#include <QStringList>

class QWidget;

namespace quillon {

class CDataLogDoc;
class CDataLogFrame;
class CPrefs;
class IPrompt;

/// What a row gets to make its widget from.
struct ScreenshotContext {
    CDataLogFrame& frame;
    CDataLogDoc& doc;
    CPrefs& prefs;
    IPrompt& prompt;
    QString arg;  // the text after "NAME:", empty when none was given
};

struct ScreenshotTarget {
    const char* name;
    const char* description;  // one line for the list of names
    /// Makes the widget to picture, owned by the caller unless it is the main window itself;
    /// null with *error set when the argument does not fit.
    QWidget* (*create)(const ScreenshotContext& context, QString* error);
};

const std::vector<ScreenshotTarget>& ScreenshotTargets();
/// The row named `name`; null when there is none.
const ScreenshotTarget* FindScreenshotTarget(const QString& name);
/// "name  description" lines for every row, for the error of an unknown name.
QStringList ScreenshotTargetList();

}  // namespace quillon
