#pragma once
/// File > Export from the window: the save dialog with the proposed name, then the CSV export of
/// the main log under the progress window, whose Cancel stops it and leaves no file behind.

class QWidget;

namespace quillon {

class CDataLogDoc;
class IPrompt;

/// True when the file was written; false when the user cancelled either window or the export
/// failed (the failure is reported through the prompt; an existing file stays whole).
bool RunDataLogExport(const CDataLogDoc& doc, IPrompt& prompt, QWidget* owner);

}  // namespace quillon
