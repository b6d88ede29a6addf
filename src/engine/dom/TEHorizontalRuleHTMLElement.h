#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "hr": one line feed marked as a rule, or as a page break for the editor's
// page-break rules.
class TEHorizontalRuleHTMLElement : public TEHTMLElement {
public:
    static constexpr const char* kPageBreakClass = "marquent-pagebreak";

    using TEHTMLElement::TEHTMLElement;

    AttributeDictionaryPtr attributesForAttributedStringRepresentation() const override;

protected:
    std::string className() const override { return "TEHorizontalRuleHTMLElement"; }
    std::optional<MutableAttributedString> leafOutput() override;
};

} // namespace folio
