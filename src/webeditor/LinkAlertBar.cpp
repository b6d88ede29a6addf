#include "webeditor/LinkAlertBar.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

constexpr const char* kHideSelector = "hideIsLinkAlert";

} // namespace

LinkAlertBar::LinkAlertBar(PageConnection& page, Host host) : m_page(page), m_host(std::move(host)) {}

LinkAlertBar::~LinkAlertBar()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

bool LinkAlertBar::updateIsLinkAlert()
{
    std::string address = m_page.readString(kLinkAtCaretScript);
    if (address.empty())
        return false;
    updateTopAlertBar(toUtf16(Localization::localizedString("Link: ")) + toUtf16(address));
    return true;
}

void LinkAlertBar::updateTopAlertBar(const std::u16string& text)
{
    if (m_host.setText)
        m_host.setText(text);
    RunLoop& loop = RunLoop::main();
    loop.cancelPreviousPerformRequests(this, kHideSelector);
    loop.performSelectorAfterDelay(this, kHideSelector, {}, kShowSeconds, [this] { hideIsLinkAlert(); });
}

void LinkAlertBar::hideIsLinkAlert()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kHideSelector);
    if (m_host.setText)
        m_host.setText(u"");
    if (m_host.didHide)
        m_host.didHide();
}

} // namespace folio
