#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/PopoverPresentationControllerDelegate.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class DKDocument;
class DKInspectorDelegate;
class DKInspectorSlice;
class DKStackedSlicesPane;
class NavigationController;
class View;
class ViewController;

// A popover of stacked slices that inspects a set of objects (the open
// document). It has a main pane; more panes can be pushed on top of it, with
// a way back. The delegate gives the slices of each pane when the pane
// appears and hears when the inspector appears and is dismissed. Slices
// bracket each change they make with begin and end of changing, so that the
// inspector can tell its observers once the change is over.
class DKInspector : public std::enable_shared_from_this<DKInspector> {
public:
    // The main pane's height; 0 or less means the default.
    static std::shared_ptr<DKInspector> make(double mainPaneHeight = 0);
    ~DKInspector();
    DKInspector(const DKInspector&) = delete;
    DKInspector& operator=(const DKInspector&) = delete;

    const std::shared_ptr<DKStackedSlicesPane>& mainPane() const { return m_mainPane; }
    // The navigation controller that holds the panes, presented as the popover.
    const std::shared_ptr<NavigationController>& navigationController() const { return m_navigation; }

    void setDelegate(std::weak_ptr<DKInspectorDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<DKInspectorDelegate> delegate() const { return m_delegate.lock(); }

    // The objects as the delegate last gave them (when shown or updated).
    const std::vector<DKDocument*>& inspectedObjects() const { return m_objects; }

    bool isVisible() const;

    // Presents the inspector from `presenter`, anchored at the bar item or at
    // `rect` inside `view`. Refused (with the reason) when it is already
    // shown or the presenter cannot present now.
    Status inspectFromBarButtonItem(ViewController& presenter, const std::shared_ptr<BarButtonItem>& item);
    Status inspectFromRect(ViewController& presenter, Rect rect, const std::shared_ptr<View>& view, unsigned arrowDirections);

    // Shows `pane` above the current one, with a way back.
    void pushPane(const std::shared_ptr<DKStackedSlicesPane>& pane, bool animated = true);
    void dismissAnimated(bool animated);

    // Takes the objects from the delegate again and fills every shown pane.
    void updateInterfaceFromInspectedObjects(int reason);
    // The panes' slices for `pane`, from the delegate.
    std::vector<std::shared_ptr<DKInspectorSlice>> slicesForPane(DKStackedSlicesPane& pane);

    // Nested pairs count as one change; observers hear when the outermost ends.
    void willBeginChangingInspectedObjects();
    void didEndChangingInspectedObjects();
    bool isChangingInspectedObjects() const { return m_changeDepth > 0; }
    void setDidChangeObserver(std::function<void()> observer) { m_didChange = std::move(observer); }

private:
    class PopoverDelegate;
    DKInspector() = default;
    Status present(ViewController& presenter);
    void refreshObjects();
    void didDismiss();

    std::shared_ptr<DKStackedSlicesPane> m_mainPane;
    std::shared_ptr<NavigationController> m_navigation;
    std::shared_ptr<PopoverDelegate> m_popoverDelegate;
    std::weak_ptr<DKInspectorDelegate> m_delegate;
    std::vector<DKDocument*> m_objects;
    int m_changeDepth = 0;
    bool m_presented = false;
    std::function<void()> m_didChange;
};

} // namespace folio
