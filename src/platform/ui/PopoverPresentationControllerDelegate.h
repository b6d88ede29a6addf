#pragma once

#include "platform/ui/TraitCollection.h"
#include "platform/ui/ViewController.h"

#include <optional>

namespace folio {

class PopoverPresentationController;

class PopoverPresentationControllerDelegate {
public:
    virtual ~PopoverPresentationControllerDelegate() = default;
    virtual void prepareForPopoverPresentation(PopoverPresentationController&) {}
    // Asked only for a user's dismissal (a touch outside the popover).
    virtual bool popoverPresentationControllerShouldDismissPopover(PopoverPresentationController&) { return true; }
    virtual void popoverPresentationControllerDidDismissPopover(PopoverPresentationController&) {}
    // In a compact width a popover becomes a full-screen sheet unless the
    // delegate answers Popover to keep it.
    virtual std::optional<ModalPresentationStyle> adaptivePresentationStyleForTraitCollection(PopoverPresentationController&,
                                                                                               const TraitCollection&)
    {
        return std::nullopt;
    }
};

} // namespace folio
