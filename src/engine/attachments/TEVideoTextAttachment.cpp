#include "engine/attachments/TEVideoTextAttachment.h"

#include "engine/attachments/TEAttachmentSource.h"

namespace folio {

std::shared_ptr<TEVideoTextAttachment> TEVideoTextAttachment::attachmentWithElement(
    const TETextAttachmentElement& element, const TETextAttachmentOptions& options)
{
    auto attachment = std::make_shared<TEVideoTextAttachment>();
    attachment->initWithElement(element, options);
    if (auto source = element.attributes.find("src"); source != element.attributes.end())
        attachment->setContentURL(TEAttachmentSource::mediaURL(source->second, options.baseURL));
    return attachment;
}

std::optional<std::u16string> TEVideoTextAttachment::stringByEncodingAsHTML(TEFootnoteCounter&) const
{
    return htmlForMediaElement(u"video");
}

} // namespace folio
