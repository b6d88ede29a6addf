#include "webeditor/OverlayTracker.h"

#include "platform/foundation/RunLoop.h"

namespace folio {

OverlayTracker::OverlayTracker()
    : m_self(std::make_shared<OverlayTracker*>(this))
{
}

OverlayTracker::~OverlayTracker()
{
    *m_self = nullptr;
}

void OverlayTracker::add(Overlay overlay)
{
    m_overlays.push_back(std::move(overlay));
}

void OverlayTracker::menuIsVisible(bool visible)
{
    std::weak_ptr<OverlayTracker*> self = m_self;
    RunLoop::main().post([self, visible] {
        if (std::shared_ptr<OverlayTracker*> tracker = self.lock(); tracker && *tracker)
            (*tracker)->m_anyVisible = visible;
    });
}

bool OverlayTracker::anyMenuVisible() const
{
    if (m_anyVisible)
        return true;
    for (const Overlay& overlay : m_overlays) {
        if (overlay.countsAsMenu && overlay.isVisible && overlay.isVisible())
            return true;
    }
    return false;
}

void OverlayTracker::inspectorWillAppear()
{
    m_anyVisible = true;
}

void OverlayTracker::inspectorDidDismiss()
{
    m_anyVisible = false;
    if (m_inspectorDismissed)
        m_inspectorDismissed();
}

void OverlayTracker::dismissAll(Scope scope)
{
    if (m_beforeDismissAll)
        m_beforeDismissAll();
    // A dismissal may run callbacks that register or dismiss further
    // overlays; walk a copy.
    std::vector<Overlay> overlays = m_overlays;
    for (const Overlay& overlay : overlays) {
        if (scope == Scope::KeepAnimated && overlay.animatedDismissal)
            continue;
        if (overlay.isVisible && overlay.isVisible() && overlay.dismiss)
            overlay.dismiss(overlay.animatedDismissal);
    }
    m_anyVisible = false;
}

} // namespace folio
