#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "span" of the horizontal-rule class: a rule inside its paragraph, one
// form feed marked as a rule, as a word processor's drawn line stands in
// its paragraph's text. The paragraph goes on after it, so the span stands
// in the line of text whatever its own style draws.
class TEInlineRuleHTMLElement : public TEHTMLElement {
public:
    static constexpr const char* kRuleClass = "horizontal-rule";

    using TEHTMLElement::TEHTMLElement;

    // Whether a span of these attributes is a rule.
    static bool isRuleSpan(const std::string& name, const TEHTMLAttributes& attributes);

    AttributeDictionaryPtr attributesForAttributedStringRepresentation() const override;
    std::optional<MutableAttributedString> attributedString() override;
    TEHTMLElementDisplayStyle displayStyle() const override { return TEHTMLElementDisplayStyle::Inline; }

protected:
    std::string className() const override { return "TEInlineRuleHTMLElement"; }
};

} // namespace folio
