#pragma once

#include "platform/ui/ViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class DKDocument;
class DKInspector;

// One part of an inspector pane: a small view that shows and changes
// something of the inspected objects. The pane stacks its slices one under
// the other; the inspector hands them the objects and asks them to update.
class DKInspectorSlice : public ViewController {
public:
    // Why a slice is asked to update: the inspector was just shown (or the
    // caller wants the slice shown afresh), or the objects changed.
    enum UpdateReason { UpdateReasonDefault = 0, UpdateReasonObjectsEdited = 1 };

    DKInspectorSlice() = default;

    // The name the slice is known by in the panes' lists.
    const std::string& identifier() const { return m_identifier; }
    void setIdentifier(std::string identifier) { m_identifier = std::move(identifier); }

    DKInspector* inspector() const { return m_inspector; }
    void setInspector(DKInspector* inspector) { m_inspector = inspector; }

    // Whether the slice can show this object; by default every document.
    virtual bool isAppropriateForInspectedObject(const DKDocument& object) const;
    // The inspector's objects this slice can show, in the inspector's order.
    std::vector<DKDocument*> appropriateObjectsForInspection() const;

    // Fills the slice's controls from the objects.
    virtual void updateInterfaceFromInspectedObjects(int reason) { (void)reason; }

    // The height the slice takes in its pane.
    virtual double preferredHeight() const { return 44; }

private:
    DKInspector* m_inspector = nullptr;
    std::string m_identifier;
};

} // namespace folio
