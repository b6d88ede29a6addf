#include "richtext/RichTextPopovers.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewController.h"

namespace folio {

RichTextPopovers::RichTextPopovers(Host host)
    : m_host(std::move(host))
    , m_self(std::make_shared<RichTextPopovers*>(this))
{
}

RichTextPopovers::~RichTextPopovers() = default;

void RichTextPopovers::setPicker(Picker picker, std::shared_ptr<ViewController> controller)
{
    m_pickers[index(picker)] = std::move(controller);
}

void RichTextPopovers::menuIsVisible(bool visible)
{
    std::weak_ptr<RichTextPopovers*> self = m_self;
    RunLoop::main().post([self, visible] {
        if (auto alive = self.lock())
            (*alive)->m_anyVisible = visible;
    });
}

bool RichTextPopovers::inspectorVisible(Inspector inspector) const
{
    const InspectorHandle& handle = m_inspectors[index(inspector)];
    return handle.isVisible && handle.isVisible();
}

bool RichTextPopovers::anyMenuVisible() const
{
    if (m_anyVisible)
        return true;
    for (Inspector inspector : {Inspector::TextFormat, Inspector::TextFormatFromKeyboard, Inspector::TextColor,
                                Inspector::TextLayout, Inspector::TextTools, Inspector::InsertImage}) {
        if (inspectorVisible(inspector))
            return true;
    }
    return false;
}

void RichTextPopovers::dismissUpToFlag()
{
    if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible() && m_host.hideFindOnPage)
        m_host.hideFindOnPage();
    bool inBackground = m_host.isInBackground && m_host.isInBackground();
    if (!inBackground && m_host.viewControllerToPresent) {
        std::shared_ptr<ViewController> presenter = m_host.viewControllerToPresent();
        if (presenter && presenter->presentedViewController())
            presenter->dismissViewControllerAnimated(false);
    }
    for (Inspector inspector : {Inspector::NotEditing, Inspector::TextFormat, Inspector::TextFormatFromKeyboard,
                                Inspector::InsertItem, Inspector::InsertImage, Inspector::HeaderFooter}) {
        if (inspectorVisible(inspector) && m_inspectors[index(inspector)].dismiss)
            m_inspectors[index(inspector)].dismiss(false);
    }
    m_anyVisible = false;
}

void RichTextPopovers::dismissAlignMenu()
{
    if (!m_alignMenu)
        return;
    std::weak_ptr<RichTextPopovers*> self = m_self;
    std::shared_ptr<ViewController> menu = m_alignMenu;
    menu->dismissViewControllerAnimated(false, [self, menu] {
        auto alive = self.lock();
        if (alive && (*alive)->m_alignMenu == menu)
            (*alive)->m_alignMenu.reset();
    });
}

void RichTextPopovers::dismissAllPopover()
{
    dismissUpToFlag();
    for (const std::shared_ptr<ViewController>& picker : m_pickers) {
        if (picker)
            picker->dismissViewControllerAnimated(true);
    }
    dismissAlignMenu();
}

void RichTextPopovers::dismissAllPopoverWithCompletion(const std::function<void(bool)>& completion)
{
    dismissUpToFlag();
    dismissAlignMenu();
    if (completion)
        completion(true);
}

} // namespace folio
