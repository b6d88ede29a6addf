#include "richtext/RichTextModeLayout.h"

#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"

namespace folio {

namespace {

using Alignment = BarContainerView::Alignment;

} // namespace

RichTextModeLayout::RichTextModeLayout(Host host, std::shared_ptr<Button> exitButton, std::shared_ptr<View> topDivider,
                                       std::shared_ptr<View> bottomDivider)
    : m_host(std::move(host))
    , m_exitButton(std::move(exitButton))
    , m_topDivider(std::move(topDivider))
    , m_bottomDivider(std::move(bottomDivider))
{
}

void RichTextModeLayout::floatExitButton(BarContainerView& container, double y)
{
    if (m_exitButton)
        container.addFloatingView(m_exitButton, {Alignment::End, Alignment::Start, {kExitButtonInset, y}});
}

void RichTextModeLayout::removeDividers(BarContainerView& container)
{
    for (const std::shared_ptr<View>& divider : {m_topDivider, m_bottomDivider}) {
        if (divider)
            container.removeFloatingView(*divider);
    }
}

void RichTextModeLayout::showFullScreen()
{
    BarContainerView* container = m_host.container ? m_host.container() : nullptr;
    if (!container)
        return;
    container->setContentBand(std::nullopt);
    removeDividers(*container);
    floatExitButton(*container, kExitButtonInset);
    container->reloadBars();
}

void RichTextModeLayout::showTypewriter(const TypewriterMode::Layout& layout)
{
    BarContainerView* container = m_host.container ? m_host.container() : nullptr;
    if (!container)
        return;
    container->setContentBand(BarContainerView::Band{layout.webViewY, layout.webViewHeight});
    if (m_topDivider)
        container->addFloatingView(m_topDivider, {Alignment::Fill, Alignment::Start, {0, layout.topDividerY}});
    if (m_bottomDivider)
        container->addFloatingView(m_bottomDivider, {Alignment::Fill, Alignment::Start, {0, layout.bottomDividerY}});
    floatExitButton(*container, layout.exitButtonY);
    container->reloadBars();
    if (m_host.focusPage)
        m_host.focusPage();
}

void RichTextModeLayout::showPage()
{
    BarContainerView* container = m_host.container ? m_host.container() : nullptr;
    if (!container)
        return;
    container->setContentBand(std::nullopt);
    removeDividers(*container);
    if (m_exitButton)
        container->removeFloatingView(*m_exitButton);
    container->reloadBars();
    if (m_host.focusPage)
        m_host.focusPage();
}

} // namespace folio
