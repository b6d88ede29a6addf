#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TETextAttachmentHTMLPersistence.h"

#include <memory>

namespace folio {

// An embedded frame (iframe) in the text, kept by its source, size and attributes.
class TEIframeTextAttachment final : public TETextAttachment, public TETextAttachmentHTMLPersistence {
public:
    static std::shared_ptr<TEIframeTextAttachment> attachmentWithElement(const TETextAttachmentElement& element,
                                                                         const TETextAttachmentOptions& options);
    std::optional<std::u16string> stringByEncodingAsHTML(TEFootnoteCounter& footnotes) const override;
};

} // namespace folio
