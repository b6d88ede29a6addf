#include "engine/display/TEAccessibilityViewProxy.h"

#include "engine/attachments/TETextAttachment.h"
#include "platform/ui/View.h"

namespace folio {

TEAccessibilityViewProxy::TEAccessibilityViewProxy(std::shared_ptr<const TETextAttachment> attachment,
                                                   TEAccessibilityViewProxyDelegate* delegate)
    : m_attachment(std::move(attachment)), m_delegate(delegate)
{
}

std::shared_ptr<View> TEAccessibilityViewProxy::proxiedView() const
{
    if (!m_delegate || !m_attachment)
        return nullptr;
    return m_delegate->viewForTextAttachment(*m_attachment, *this);
}

Rect TEAccessibilityViewProxy::accessibilityFrame() const
{
    std::shared_ptr<View> view = proxiedView();
    return view ? view->convertRectToView(view->bounds(), nullptr) : Rect{};
}

std::optional<Rect> TEAccessibilityViewProxy::accessibilityFrameInContainer() const
{
    std::shared_ptr<View> view = proxiedView();
    if (!view)
        return std::nullopt;
    return view->frame();
}

Point TEAccessibilityViewProxy::accessibilityActivationPoint() const
{
    Rect frame = accessibilityFrame();
    return Point{frame.midX(), frame.midY()};
}

bool TEAccessibilityViewProxy::isEqual(const TEAccessibilityObject& other) const
{
    if (this == &other)
        return true;
    const auto* proxy = dynamic_cast<const TEAccessibilityViewProxy*>(&other);
    if (!proxy)
        return false;
    std::shared_ptr<View> view = proxiedView();
    return view && view == proxy->proxiedView();
}

} // namespace folio
