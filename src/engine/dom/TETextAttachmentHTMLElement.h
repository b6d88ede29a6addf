#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// img, object, video, iframe and any tag with a registered attachment class:
// the element stands in the text as its attachment. A floating one keeps
// its own display: the text flows beside it, so it ends no line and stays
// in the paragraph it is anchored to.
class TETextAttachmentHTMLElement : public TEHTMLElement {
public:
    TETextAttachmentHTMLElement(std::string name, TEHTMLAttributes attributes, const TEHTMLReaderOptions& options);

    void applyStyleDictionary(const CSSStyleDictionary& styles) override;

protected:
    std::string className() const override { return "TETextAttachmentHTMLElement"; }
    std::optional<MutableAttributedString> leafOutput() override;
};

} // namespace folio
