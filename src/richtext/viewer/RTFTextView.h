#pragma once

#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/ui/TextView.h"

#include <memory>
#include <vector>

namespace folio {

// The native viewer's text view: a text view whose inspector inspects the
// open document and offers the document zoom first among its slices.
class RTFTextView : public TextView, public DKInspectorDelegate {
public:
    using TextView::TextView;

    // The zoom slice, then whatever a plain text view offers (nothing).
    std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector&,
                                                                                          DKStackedSlicesPane&) override;
    // The application's open document, when there is one.
    std::vector<DKDocument*> inspectableObjects(DKInspector&) override;
};

} // namespace folio
