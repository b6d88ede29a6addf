#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

// Keeps track of the editor's popovers, pickers, menus and inspectors: the
// one flag the document framework reads ("is any inspector or menu
// visible"), and closing them all at once before a command that needs the
// page to itself.
//
// Overlays are registered once, in the order in which dismissAll closes
// them; each says whether it is showing and how it is closed.
class OverlayTracker {
public:
    struct Overlay {
        std::string name;
        std::function<bool()> isVisible;
        std::function<void(bool animated)> dismiss;
        // Whether dismissAll closes it with animation.
        bool animatedDismissal = false;
        // Whether it counts for anyMenuVisible beside the flag.
        bool countsAsMenu = true;
    };
    using Hook = std::function<void()>;

    OverlayTracker();
    ~OverlayTracker();
    OverlayTracker(const OverlayTracker&) = delete;
    OverlayTracker& operator=(const OverlayTracker&) = delete;

    void add(Overlay overlay);

    bool isAnyInspectorOrMenuVisible() const { return m_anyVisible; }
    void setAnyInspectorOrMenuVisible(bool visible) { m_anyVisible = visible; }
    // Takes effect on a later turn of the main loop, after the event that
    // opened or closed a menu has run to its end.
    void menuIsVisible(bool visible);

    // The flag, or any registered overlay counted as a menu that is showing.
    bool anyMenuVisible() const;

    // Inspector callbacks. A dismissed inspector may have changed the
    // document, so the editor's hook runs after the flag is cleared.
    void inspectorWillAppear();
    void inspectorDidDismiss();
    void setInspectorDismissedHook(Hook hook) { m_inspectorDismissed = std::move(hook); }

    // Runs first in dismissAll (the editor hides its find bar there).
    void setBeforeDismissAllHook(Hook hook) { m_beforeDismissAll = std::move(hook); }

    // Closes every registered overlay that is showing, in registration order,
    // and clears the flag; with KeepAnimated, those closed with animation
    // (the pickers) stay.
    enum class Scope { Everything, KeepAnimated };
    void dismissAll(Scope scope = Scope::Everything);

private:
    std::vector<Overlay> m_overlays;
    Hook m_inspectorDismissed;
    Hook m_beforeDismissAll;
    bool m_anyVisible = false;
    // Posted flag changes must not reach a tracker that is gone.
    std::shared_ptr<OverlayTracker*> m_self;
};

} // namespace folio
