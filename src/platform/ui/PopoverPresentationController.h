#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/PopoverPresentationControllerDelegate.h"

#include <memory>
#include <vector>

namespace folio {

class BarButtonItem;
class View;
class ViewController;

enum PopoverArrowDirection : unsigned {
    PopoverArrowDirectionUp = 1u << 0,
    PopoverArrowDirectionDown = 1u << 1,
    PopoverArrowDirectionLeft = 1u << 2,
    PopoverArrowDirectionRight = 1u << 3,
    PopoverArrowDirectionAny = 0xFu,
};

// Where and how a controller presented as a popover is anchored. A popover
// needs an anchor: a bar item, or a source view (with a rect inside it).
class PopoverPresentationController {
public:
    explicit PopoverPresentationController(ViewController& presented) : m_presented(&presented) {}

    ViewController& presentedViewController() const { return *m_presented; }

    std::shared_ptr<View> sourceView() const { return m_sourceView.lock(); }
    void setSourceView(const std::shared_ptr<View>& view) { m_sourceView = view; }
    // In the source view's coordinates; an empty rect means the whole view.
    Rect sourceRect() const { return m_sourceRect; }
    void setSourceRect(Rect rect) { m_sourceRect = rect; }
    std::shared_ptr<BarButtonItem> barButtonItem() const { return m_barButtonItem.lock(); }
    void setBarButtonItem(const std::shared_ptr<BarButtonItem>& item) { m_barButtonItem = item; }
    bool hasAnchor() const { return !m_sourceView.expired() || !m_barButtonItem.expired(); }
    // The anchor rect in the source view's coordinates.
    Rect anchorRect() const;

    unsigned permittedArrowDirections() const { return m_arrowDirections; }
    void setPermittedArrowDirections(unsigned directions) { m_arrowDirections = directions & PopoverArrowDirectionAny; }

    // Touches on these views reach them instead of closing the popover.
    std::vector<std::shared_ptr<View>> passthroughViews() const;
    void setPassthroughViews(const std::vector<std::shared_ptr<View>>& views);

    void setDelegate(std::weak_ptr<PopoverPresentationControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<PopoverPresentationControllerDelegate> delegate() const { return m_delegate.lock(); }

    // The style the popover takes in these traits: itself in a regular width;
    // in a compact width what the delegate says, else a full-screen sheet.
    ModalPresentationStyle adaptivePresentationStyle(const TraitCollection& traits);

    // A user's touch outside the popover, on `touched` (null for the dimmed
    // area). Passthrough views keep the popover open; so does a delegate that
    // refuses. Answers whether the popover was dismissed.
    bool touchOutside(const View* touched);

private:
    ViewController* m_presented;
    std::weak_ptr<View> m_sourceView;
    Rect m_sourceRect;
    std::weak_ptr<BarButtonItem> m_barButtonItem;
    unsigned m_arrowDirections = PopoverArrowDirectionAny;
    std::vector<std::weak_ptr<View>> m_passthroughViews;
    std::weak_ptr<PopoverPresentationControllerDelegate> m_delegate;
};

} // namespace folio
