#pragma once
/// The observer interface through which the document tells its views what changed, and the
/// update hints it sends.

namespace quillon {

enum UpdateHint {
    kHintCursor = 0,   // the cursor moved: values refresh only
    kHintRefill = 1,   // view, configuration or comparison time shift changed: refill the data
    kHintLabels = 2,   // labels, axis display or scaling changed: rebuild without data
    kHintRebuild = 3,  // a log was loaded, cropped, re-timed or closed, or statistics recomputed
};

class IDataLogView {
public:
    virtual ~IDataLogView() = default;
    virtual void OnUpdate(IDataLogView* sender, int hint) = 0;
};

}  // namespace quillon
