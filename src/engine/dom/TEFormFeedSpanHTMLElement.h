#pragma once

#include "engine/dom/TEHTMLElement.h"

#include <optional>
#include <string_view>

namespace folio {

// "span" of the page-break or horizontal-rule class: a break or rule inside
// its paragraph, one form feed marked as such, as a word processor keeps
// them in their paragraph's text. The paragraph goes on after it, so the
// span stands in the line of text whatever its own style draws.
class TEFormFeedSpanHTMLElement : public TEHTMLElement {
public:
    static constexpr const char* kRuleClass = "horizontal-rule";

    // The attribute that marks the form feed of a span of these attributes,
    // or none when the span is neither a page break nor a rule.
    static std::optional<std::string_view> markOfSpan(const std::string& name, const TEHTMLAttributes& attributes);

    TEFormFeedSpanHTMLElement(std::string name, TEHTMLAttributes attributes, std::string_view mark);

    AttributeDictionaryPtr attributesForAttributedStringRepresentation() const override;
    std::optional<MutableAttributedString> attributedString() override;
    TEHTMLElementDisplayStyle displayStyle() const override { return TEHTMLElementDisplayStyle::Inline; }

protected:
    std::string className() const override { return "TEFormFeedSpanHTMLElement"; }

private:
    std::string_view m_mark;
};

} // namespace folio
