#pragma once

#include <memory>
#include <vector>

namespace folio {

class DKDocument;
class DKInspector;
class DKInspectorSlice;
class DKStackedSlicesPane;

// What an inspector asks of the editor that shows it: the slices of each
// pane, the objects to inspect, and news of its coming and going.
class DKInspectorDelegate {
public:
    virtual ~DKInspectorDelegate() = default;
    // A new list each time; the pane owns what it gets.
    virtual std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector&,
                                                                                                  DKStackedSlicesPane&) = 0;
    virtual std::vector<DKDocument*> inspectableObjects(DKInspector&) = 0;
    virtual void inspectorWillAppear(DKInspector&) {}
    // Every dismissal ends here, whether by code or by a touch outside.
    virtual void inspectorDidDismiss(DKInspector&) {}
};

} // namespace folio
