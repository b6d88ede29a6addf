#include "engine/attachments/TEIframeTextAttachment.h"

#include "engine/attachments/TEAttachmentSource.h"
#include "platform/foundation/StringUtilities.h"

namespace folio {

std::shared_ptr<TEIframeTextAttachment> TEIframeTextAttachment::attachmentWithElement(
    const TETextAttachmentElement& element, const TETextAttachmentOptions& options)
{
    auto attachment = std::make_shared<TEIframeTextAttachment>();
    attachment->initWithElement(element, options);
    if (auto found = element.attributes.find("src"); found != element.attributes.end()) {
        std::u16string source = found->second;
        // Embed codes copied from video sites use scheme-relative sources,
        // which mean nothing against a document's file base.
        if (hasPrefix(std::u16string_view(source), std::u16string_view(u"//")))
            source = u"http:" + source;
        attachment->setContentURL(TEAttachmentSource::mediaURL(source, options.baseURL));
    }
    return attachment;
}

std::optional<std::u16string> TEIframeTextAttachment::stringByEncodingAsHTML(TEFootnoteCounter&) const
{
    return htmlForMediaElement(u"iframe");
}

} // namespace folio
