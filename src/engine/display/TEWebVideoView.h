#pragma once

#include "platform/ui/View.h"

#include <memory>

namespace folio {

class TETextAttachment;

class TEWebVideoViewDelegate {
public:
    virtual ~TEWebVideoViewDelegate() = default;
};

// Holds a video attachment for a delegate that shows it.
class TEWebVideoView : public View {
public:
    using View::View;

    const std::shared_ptr<const TETextAttachment>& attachment() const { return m_attachment; }
    void setAttachment(std::shared_ptr<const TETextAttachment> attachment) { m_attachment = std::move(attachment); }
    TEWebVideoViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(TEWebVideoViewDelegate* delegate) { m_delegate = delegate; }

private:
    std::shared_ptr<const TETextAttachment> m_attachment;
    TEWebVideoViewDelegate* m_delegate = nullptr;
};

} // namespace folio
