#include "webeditor/PageModeLayout.h"

#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"

namespace folio {

namespace {

using Alignment = BarContainerView::Alignment;

} // namespace

PageModeLayout::PageModeLayout(Host host, std::shared_ptr<Button> exitButton, std::shared_ptr<View> topDivider,
                                       std::shared_ptr<View> bottomDivider)
    : m_host(std::move(host))
    , m_exitButton(std::move(exitButton))
    , m_topDivider(std::move(topDivider))
    , m_bottomDivider(std::move(bottomDivider))
{
}

void PageModeLayout::floatExitButton(BarContainerView& container, double y)
{
    if (m_exitButton)
        container.addFloatingView(m_exitButton, {Alignment::End, Alignment::Start, {kExitButtonInset, y}});
}

void PageModeLayout::removeDividers(BarContainerView& container)
{
    for (const std::shared_ptr<View>& divider : {m_topDivider, m_bottomDivider}) {
        if (divider)
            container.removeFloatingView(*divider);
    }
}

void PageModeLayout::showFullScreen()
{
    BarContainerView* container = m_host.container ? m_host.container() : nullptr;
    if (!container)
        return;
    container->setContentBand(std::nullopt);
    removeDividers(*container);
    floatExitButton(*container, kExitButtonInset);
    container->reloadBars();
}

void PageModeLayout::showTypewriter(const TypewriterBand& band)
{
    BarContainerView* container = m_host.container ? m_host.container() : nullptr;
    if (!container)
        return;
    container->setContentBand(BarContainerView::Band{band.pageY, band.pageHeight});
    if (m_topDivider)
        container->addFloatingView(m_topDivider, {Alignment::Fill, Alignment::Start, {0, band.topDividerY}});
    if (m_bottomDivider)
        container->addFloatingView(m_bottomDivider, {Alignment::Fill, Alignment::Start, {0, band.bottomDividerY}});
    floatExitButton(*container, band.exitButtonY);
    container->reloadBars();
    if (m_host.focusPage)
        m_host.focusPage();
}

void PageModeLayout::showPage()
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
