#include "engine/dom/TETextAttachmentHTMLElement.h"

#include "engine/html/reader/TEHTMLReaderStringExtensions.h"

namespace folio {

TETextAttachmentHTMLElement::TETextAttachmentHTMLElement(std::string name, TEHTMLAttributes attributes,
                                                         const TEHTMLReaderOptions& options)
    : TEHTMLElement(std::move(name), std::move(attributes))
{
    TETextAttachmentElement element;
    element.tagName = this->name();
    for (const auto& [key, value] : this->attributes())
        element.attributes.emplace(key, value);
    element.size = size();
    TETextAttachmentOptions attachmentOptions;
    attachmentOptions.maxImageSize = options.maxImageSize.value_or(Size{});
    attachmentOptions.baseURL = options.baseURL;
    attachmentOptions.pictureFolder = options.pictureFolder;
    m_textAttachment = TETextAttachment::textAttachmentWithElement(element, attachmentOptions);
}

void TETextAttachmentHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    TEHTMLElement::applyStyleDictionary(styles);
    if (m_textAttachment && m_textAttachment->originalSize() == Size{})
        m_textAttachment->setOriginalSize(size());
}

std::optional<MutableAttributedString> TETextAttachmentHTMLElement::leafOutput()
{
    if (!m_textAttachment)
        return MutableAttributedString();
    MutableAttributedString text(u"\uFFFC", attributesForAttributedStringRepresentation());
    if (displayStyle() != TEHTMLElementDisplayStyle::Inline)
        appendStringContinuingStyle(text, u"\n");
    return text;
}

} // namespace folio
