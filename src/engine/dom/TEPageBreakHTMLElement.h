#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "span" of the page-break class: a page break inside its paragraph, one
// form feed marked as a page break. The paragraph goes on after it, so the
// span stands in the line of text whatever its own style draws.
class TEPageBreakHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

    // Whether a span of these attributes is a page break.
    static bool isPageBreakSpan(const std::string& name, const TEHTMLAttributes& attributes);

    AttributeDictionaryPtr attributesForAttributedStringRepresentation() const override;
    std::optional<MutableAttributedString> attributedString() override;
    TEHTMLElementDisplayStyle displayStyle() const override { return TEHTMLElementDisplayStyle::Inline; }

protected:
    std::string className() const override { return "TEPageBreakHTMLElement"; }
};

} // namespace folio
