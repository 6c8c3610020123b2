#pragma once
/// The observer interface through which the document tells its views what changed.

namespace quillon {

/// What changed in the document. The values 0 to 3 are the update hints that the views have
/// always been sent, from the smallest change to the largest; the frame selection has its own.
enum class DocumentChange {
    CursorMoved = 0,       // the cursor moved: values refresh only
    ShownDataChanged = 1,  // view, configuration or comparison time shift changed: refill the data
    LabelsChanged = 2,     // labels, axis display or scaling changed: rebuild without data
    LogChanged = 3,  // a log was loaded, cropped, re-timed or closed, or statistics recomputed
    SelectionChanged = 4,   // frames were selected in the scatter plot, or the selection cleared
    StatisticsChanged = 5,  // figures worked out after the log was shown: the values refresh
};

class IDataLogView {
public:
    virtual ~IDataLogView() = default;
    /// `sender` is the view that made the change (it is not told), or null for the document.
    virtual void OnUpdate(IDataLogView* sender, DocumentChange change) = 0;
};

}  // namespace quillon
