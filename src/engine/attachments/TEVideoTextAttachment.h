#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TETextAttachmentHTMLPersistence.h"

#include <memory>

namespace folio {

// A video element in the text; the page plays it, the text only keeps its
// source, size and attributes.
class TEVideoTextAttachment final : public TETextAttachment, public TETextAttachmentHTMLPersistence {
public:
    static std::shared_ptr<TEVideoTextAttachment> attachmentWithElement(const TETextAttachmentElement& element,
                                                                        const TETextAttachmentOptions& options);
    std::optional<std::u16string> stringByEncodingAsHTML(TEFootnoteCounter& footnotes) const override;
};

} // namespace folio
