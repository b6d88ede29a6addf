#include "webeditor/EditorPopovers.h"

#include "platform/ui/ViewController.h"

namespace folio {

EditorPopovers::EditorPopovers(Host host)
    : m_host(std::move(host))
    , m_self(std::make_shared<EditorPopovers*>(this))
{
    m_tracker.setBeforeDismissAllHook([this] {
        if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible() && m_host.hideFindOnPage)
            m_host.hideFindOnPage();
    });
    m_tracker.add(OverlayTracker::Overlay{
        "presented",
        [this] {
            if (m_host.isInBackground && m_host.isInBackground())
                return false;
            std::shared_ptr<ViewController> presenter = m_host.viewControllerToPresent ? m_host.viewControllerToPresent() : nullptr;
            return presenter && presenter->presentedViewController() != nullptr;
        },
        [this](bool animated) { m_host.viewControllerToPresent()->dismissViewControllerAnimated(animated); },
        false, false});
    addInspector(Inspector::NotEditing, true, false);
    addInspector(Inspector::TextFormat, true, true);
    addInspector(Inspector::TextFormatFromKeyboard, true, true);
    addInspector(Inspector::InsertItem, true, false);
    addInspector(Inspector::InsertImage, true, true);
    addInspector(Inspector::HeaderFooter, true, false);
    addInspector(Inspector::TextColor, false, true);
    addInspector(Inspector::TextLayout, false, true);
    addInspector(Inspector::TextTools, false, true);
    for (size_t i = 0; i < m_pickers.size(); ++i) {
        m_tracker.add(OverlayTracker::Overlay{
            "picker", [this, i] { return m_pickers[i] != nullptr; },
            [this, i](bool animated) { m_pickers[i]->dismissViewControllerAnimated(animated); }, true, false});
    }
    m_tracker.add(OverlayTracker::Overlay{
        "align menu", [this] { return m_alignMenu != nullptr; },
        [this](bool animated) {
            std::weak_ptr<EditorPopovers*> self = m_self;
            std::shared_ptr<ViewController> menu = m_alignMenu;
            menu->dismissViewControllerAnimated(animated, [self, menu] {
                auto alive = self.lock();
                if (alive && (*alive)->m_alignMenu == menu)
                    (*alive)->m_alignMenu.reset();
            });
        },
        false, false});
}

void EditorPopovers::addInspector(Inspector inspector, bool closedByDismissAll, bool countsAsMenu)
{
    size_t i = index(inspector);
    OverlayTracker::Overlay overlay{"inspector", [this, i] { return m_inspectors[i].isVisible && m_inspectors[i].isVisible(); },
                                    {}, false, countsAsMenu};
    if (closedByDismissAll) {
        overlay.dismiss = [this, i](bool animated) {
            if (m_inspectors[i].dismiss)
                m_inspectors[i].dismiss(animated);
        };
    }
    m_tracker.add(std::move(overlay));
}

void EditorPopovers::dismissAllPopoverWithCompletion(const std::function<void(bool)>& completion)
{
    m_tracker.dismissAll(OverlayTracker::Scope::KeepAnimated);
    if (completion)
        completion(true);
}

} // namespace folio
