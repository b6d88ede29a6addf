#pragma once

#include "engine/css/TECSSStylesheet.h"
#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "style": contributes rules, never text.
class TEStylesheetHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

    // A new sheet from the element's text.
    TECSSStylesheet stylesheet() const { return TECSSStylesheet(text()); }
    std::optional<MutableAttributedString> attributedString() override { return std::nullopt; }

protected:
    std::string className() const override { return "TEStylesheetHTMLElement"; }
};

} // namespace folio
