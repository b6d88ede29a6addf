#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// img, object, video, iframe and any tag with a registered attachment class:
// the element stands in the text as its attachment.
class TETextAttachmentHTMLElement : public TEHTMLElement {
public:
    TETextAttachmentHTMLElement(std::string name, TEHTMLAttributes attributes, const TEHTMLReaderOptions& options);

    // Floating attachments stand on a line of their own.
    TEHTMLElementDisplayStyle displayStyle() const override;
    void applyStyleDictionary(const CSSStyleDictionary& styles) override;

protected:
    std::string className() const override { return "TETextAttachmentHTMLElement"; }
    std::optional<MutableAttributedString> leafOutput() override;
};

} // namespace folio
