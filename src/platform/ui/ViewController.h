#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"
#include "platform/ui/TraitCollection.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class NavigationController;
class NavigationItem;
class PopoverPresentationController;
class View;

enum class ModalPresentationStyle { Automatic, FullScreen, PageSheet, FormSheet, Popover, OverFullScreen };

// Owns a view tree and runs its life cycle: the view is made on first use,
// and the appearance calls come in pairs (will/did appear, will/did
// disappear) without repeats. Controllers present others modally; the one
// that actually presents is the outermost container (a navigation controller
// presents on behalf of the controllers it holds).
class ViewController : public Responder {
public:
    using Completion = std::function<void()>;

    ViewController();
    ~ViewController() override;

    std::shared_ptr<View> view();
    std::shared_ptr<View> viewIfLoaded() const { return m_view; }
    bool isViewLoaded() const { return m_view != nullptr; }
    void loadViewIfNeeded() { view(); }
    void setView(std::shared_ptr<View> view);

    const std::u16string& title() const { return m_title; }
    // Also titles the navigation item, as the toolkit does.
    void setTitle(std::u16string title);
    virtual std::shared_ptr<NavigationItem> navigationItem();

    ViewController* parentViewController() const { return m_parent; }
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return m_children; }
    void addChildViewController(const std::shared_ptr<ViewController>& child);
    void removeFromParentViewController();
    // The nearest navigation controller among this controller and its parents.
    NavigationController* navigationController() const;

    ModalPresentationStyle modalPresentationStyle() const { return m_modalPresentationStyle; }
    void setModalPresentationStyle(ModalPresentationStyle style);
    // Exists while the presentation style is popover.
    std::shared_ptr<PopoverPresentationController> popoverPresentationController() const { return m_popover; }
    Size preferredContentSize() const { return m_preferredContentSize; }
    void setPreferredContentSize(Size size) { m_preferredContentSize = size; }
    UserInterfaceStyle overrideUserInterfaceStyle() const { return m_overrideStyle; }
    void setOverrideUserInterfaceStyle(UserInterfaceStyle style) { m_overrideStyle = style; }

    // What this controller's presentation context presents, and who presented it.
    std::shared_ptr<ViewController> presentedViewController() const;
    ViewController* presentingViewController() const;
    // Refused, with the reason, when the context already presents a
    // controller, when the controller is already shown somewhere, or when a
    // popover has no anchor. The completion runs only after a presentation.
    Status presentViewController(const std::shared_ptr<ViewController>& controller, bool animated, Completion completion = {});
    // Dismisses what this controller's context presents (and all above it);
    // with nothing presented, dismisses this controller itself. The completion
    // always runs, even when there was nothing to dismiss, so that nobody
    // waits on it for ever.
    void dismissViewControllerAnimated(bool animated, Completion completion = {});

    // Appearance as the container drives it; begin/end come in pairs.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    bool isVisible() const { return m_appearance == Appearance::Appeared; }

    // The window (or container) changed size: tells this controller, its
    // children and whatever it presents.
    void transitionToSize(Size size);

    TraitCollection traitCollection() const;
    void setOverrideTraitCollection(std::optional<TraitCollection> traits) { m_overrideTraits = traits; }

    Responder* nextResponder() const override;

protected:
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    virtual void viewWillTransitionToSize(Size /*size*/) {}
    // The children that appear and disappear with this controller; a
    // navigation controller answers only its top controller.
    virtual std::vector<std::shared_ptr<ViewController>> appearanceChildren() const { return m_children; }
    void detachChild(ViewController* child);

private:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };

    ViewController* presentationContext();
    const ViewController* presentationContext() const;
    bool coversPresenter() const;
    void dismissPresentedChain(bool animated);

    std::shared_ptr<View> m_view;
    std::u16string m_title;
    std::shared_ptr<NavigationItem> m_navigationItem;
    ViewController* m_parent = nullptr;
    std::vector<std::shared_ptr<ViewController>> m_children;
    ModalPresentationStyle m_modalPresentationStyle = ModalPresentationStyle::Automatic;
    std::shared_ptr<PopoverPresentationController> m_popover;
    Size m_preferredContentSize;
    UserInterfaceStyle m_overrideStyle = UserInterfaceStyle::Unspecified;
    std::optional<TraitCollection> m_overrideTraits;
    std::shared_ptr<ViewController> m_presented;
    std::weak_ptr<ViewController> m_presenting;
    Appearance m_appearance = Appearance::Disappeared;
    bool m_pendingAppearing = false;
    bool m_loadingView = false;
};

} // namespace folio
