#pragma once

#include "engine/display/TEAccessibilityElement.h"

#include <memory>

namespace folio {

class TEAccessibilityViewProxy;
class TETextAttachment;
class View;

class TEAccessibilityViewProxyDelegate {
public:
    virtual ~TEAccessibilityViewProxyDelegate() = default;
    // The view showing the attachment now, or null.
    virtual std::shared_ptr<View> viewForTextAttachment(const TETextAttachment& attachment,
                                                        const TEAccessibilityViewProxy& proxy) = 0;
};

// Stands for the view that shows an attachment, which may not exist yet or
// may be replaced: every question is answered by the view of the moment.
class TEAccessibilityViewProxy : public TEAccessibilityObject {
public:
    TEAccessibilityViewProxy(std::shared_ptr<const TETextAttachment> attachment,
                             TEAccessibilityViewProxyDelegate* delegate);

    const std::shared_ptr<const TETextAttachment>& textAttachment() const { return m_attachment; }
    TEAccessibilityViewProxyDelegate* delegate() const { return m_delegate; }
    // Asked of the delegate anew every time.
    std::shared_ptr<View> proxiedView() const;

    // The view's; empty answers while there is no view.
    Rect accessibilityFrame() const override;
    Point accessibilityActivationPoint() const override;
    std::u16string accessibilityLabel() const override { return {}; }
    std::uint64_t accessibilityTraits() const override { return 0; }
    // The view's frame in the content view that holds it.
    std::optional<Rect> accessibilityFrameInContainer() const override;
    std::shared_ptr<View> accessibilityProxiedView() const override { return proxiedView(); }
    // Equal when both stand for the same view.
    bool isEqual(const TEAccessibilityObject& other) const override;

private:
    std::shared_ptr<const TETextAttachment> m_attachment;
    TEAccessibilityViewProxyDelegate* m_delegate = nullptr;
};

} // namespace folio
