#pragma once

#include "webeditor/InspectorPanes.h"

#include <memory>

namespace folio {

class DKInspectorSlice;

// Makes the slices of an editor's inspector panes, each acting on that
// editor's page and document; null for a slice the editor does not offer.
class InspectorSliceMaker {
public:
    virtual ~InspectorSliceMaker() = default;
    virtual std::shared_ptr<DKInspectorSlice> make(const InspectorSliceSpec& spec, InspectorPane pane) = 0;
};

} // namespace folio
